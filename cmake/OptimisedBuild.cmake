# Keeps an optimised build type optimised, whatever the history of the build folder.
#
# A configure that stops before the compiler is found (a cross-compiler not yet
# installed, say) still caches the per-configuration flags, as empty strings,
# and a later configure keeps them: the build type would still read Release
# while nothing is optimised. Empty ones are restored to the compiler's
# defaults; flags of the chosen build type that were set without an
# optimisation level stop the configure.

foreach(lang IN ITEMS C CXX)
  foreach(config IN ITEMS RELEASE RELWITHDEBINFO MINSIZEREL)
    set(var CMAKE_${lang}_FLAGS_${config})
    string(STRIP "${${var}}" current)
    if(current STREQUAL "" AND NOT "${${var}_INIT}" STREQUAL "")
      string(STRIP "${${var}_INIT}" defaults)
      message(STATUS "${var} was cached empty (left by a configure that failed): "
                     "restored to \"${defaults}\"")
      set(${var} "${defaults}" CACHE STRING "Flags used by the ${lang} compiler for ${config} builds."
          FORCE)
    endif()
  endforeach()

  string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
  if(build_type MATCHES "^(RELEASE|RELWITHDEBINFO|MINSIZEREL)$")
    set(var CMAKE_${lang}_FLAGS_${build_type})
    if(NOT " ${${var}} " MATCHES " -O([1-3sz]|fast)? ")
      message(FATAL_ERROR
        "${var} is \"${${var}}\": a ${CMAKE_BUILD_TYPE} build without an optimisation level. "
        "Set it with one (for example -D${var}=\"-O2\"), or delete "
        "${CMAKE_BINARY_DIR} and configure again.")
    endif()
  endif()
endforeach()
