# Writes a C++ source that holds picture files as byte arrays, for the
# simulated platform's embedded pictures.
#   cmake -DOUTPUT=file.cpp -DPICTURES="NAME=path|NAME=path" -P embed_pictures.cmake
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" PICTURES "${PICTURES}")

set(sixteen "")
foreach(i RANGE 1 16)
  string(APPEND sixteen "0x[0-9a-f][0-9a-f],")
endforeach()

set(arrays "")
set(entries "")
set(index 0)
foreach(picture IN LISTS PICTURES)
  string(FIND "${picture}" "=" split)
  string(SUBSTRING "${picture}" 0 ${split} name)
  math(EXPR from "${split} + 1")
  string(SUBSTRING "${picture}" ${from} -1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes to a line (CMake's regular expressions have no {16}).
  string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")
  get_filename_component(file_name "${path}" NAME)
  string(APPEND arrays "// ${file_name}\nconst unsigned char kPicture${index}[${size}] = {\n    ${bytes}};\n\n")
  string(APPEND entries "    {\"${name}\", kPicture${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(text "// Generated at build time from the picture files; not to be edited.
#include \"platform/sim/sim_pictures.h\"

namespace tolvarin::sim {
namespace {

${arrays}const EmbeddedPicture kPictures[] = {
${entries}};

}  // namespace

std::span<const EmbeddedPicture> EmbeddedPictures() { return kPictures; }

}  // namespace tolvarin::sim
")
# Rewritten only when it changes, so an unchanged picture rebuilds nothing.
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
