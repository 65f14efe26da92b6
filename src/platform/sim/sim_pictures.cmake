# The simulated platform's embedded pictures: the committed picture files,
# compiled in as byte arrays, and libjpeg to decode them. Included by the
# top-level CMakeLists.txt after tolvarin_sim is defined.

# Resource name = file; the Windows resource script names the same files.
set(TOLVARIN_SIM_PICTURES
  "PREVIEW=${PROJECT_SOURCE_DIR}/src/startup/pictures/preview.jpg"
  "TOLVARIN_P=${PROJECT_SOURCE_DIR}/src/dialog/pictures/tolvarin.ico"
  "LINK=${PROJECT_SOURCE_DIR}/src/dialog/pictures/link.cur"
  "TILE=${PROJECT_SOURCE_DIR}/src/dialog/pictures/tile.bmp"
  "MARK_OFF=${PROJECT_SOURCE_DIR}/src/dialog/pictures/mark_off.jpg"
  "MARK_ON=${PROJECT_SOURCE_DIR}/src/dialog/pictures/mark_on.jpg"
  "CMD_NORMAL=${PROJECT_SOURCE_DIR}/src/controls/pictures/normal.bmp"
  "CMD_DISABLE=${PROJECT_SOURCE_DIR}/src/controls/pictures/disable.bmp"
  "CMD_SELECTED=${PROJECT_SOURCE_DIR}/src/controls/pictures/selected.bmp"
  "CMD_PRESSED=${PROJECT_SOURCE_DIR}/src/controls/pictures/pressed.bmp"
  "CMD_HIGHLIGHT=${PROJECT_SOURCE_DIR}/src/controls/pictures/highlight.bmp"
  "CMD_HIGHLIGHTSELECT=${PROJECT_SOURCE_DIR}/src/controls/pictures/highlightselect.bmp")

set(picture_files "")
foreach(picture IN LISTS TOLVARIN_SIM_PICTURES)
  string(REGEX REPLACE "^[^=]*=" "" path "${picture}")
  list(APPEND picture_files "${path}")
endforeach()

# "|" between entries: a ";" would split the command's argument.
string(REPLACE ";" "|" picture_arguments "${TOLVARIN_SIM_PICTURES}")
set(embedded_source "${CMAKE_BINARY_DIR}/generated/sim_embedded_pictures.cpp")
add_custom_command(
  OUTPUT "${embedded_source}"
  COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${embedded_source}" "-DPICTURES=${picture_arguments}"
          -P "${PROJECT_SOURCE_DIR}/src/platform/sim/embed_pictures.cmake"
  DEPENDS ${picture_files} "${PROJECT_SOURCE_DIR}/src/platform/sim/embed_pictures.cmake"
  COMMENT "Embedding the pictures for the simulated platform"
  VERBATIM)
target_sources(tolvarin_sim PRIVATE "${embedded_source}")

# Windows builds of the sim (the unit tests under Wine) have no libjpeg; there
# the sim's pictures are missing and the tests that need them say so.
if(NOT WIN32)
  find_package(JPEG REQUIRED)
  target_link_libraries(tolvarin_sim PRIVATE JPEG::JPEG)
  target_compile_definitions(tolvarin_sim PRIVATE TOLVARIN_SIM_JPEG=1)
endif()
