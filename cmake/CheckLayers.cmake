# SPDX-License-Identifier: GPL-2.0-or-later
# Checks that the sources of one layer include only the layers it may stand on. Run by the
# build before the layer compiles (cmake/Layers.cmake):
#
#   cmake -DLAYER=kit -DALLOWED="platform;kit" -DLAYERS="platform;kit;...;cli;ui" \
#         -DROOT=<source dir> -DLIST=<file naming the sources> -DSTAMP=<file> -P CheckLayers.cmake
#
# An include names a layer when its first path component is one: "cpu/MSRRegister.h" is in
# the cpu layer. Each include of a layer outside ALLOWED is reported with its file and line,
# and the check fails; otherwise STAMP is touched.
cmake_minimum_required(VERSION 3.22)

foreach(variable LAYER ALLOWED LAYERS ROOT LIST STAMP)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CheckLayers.cmake: ${variable} is not set")
  endif()
endforeach()

file(STRINGS "${LIST}" sources)
string(REPLACE ";" ", " allowed_text "${ALLOWED}")
set(failures 0)
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][A-Za-z_]+/")
  if(NOT lines)
    continue()
  endif()
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<](([A-Za-z_]+)/[^\">]*)[\">]")
      continue()
    endif()
    set(header "${CMAKE_MATCH_1}")
    set(layer "${CMAKE_MATCH_2}")
    if(NOT layer IN_LIST LAYERS OR layer IN_LIST ALLOWED)
      continue()
    endif()
    # The line number: the newlines before the line's first appearance at the start of a line.
    file(READ "${source}" text)
    string(FIND "\n${text}" "\n${line}" offset)
    string(SUBSTRING "${text}" 0 ${offset} before)
    string(REGEX MATCHALL "\n" newlines "${before}")
    list(LENGTH newlines number)
    math(EXPR number "${number} + 1")
    file(RELATIVE_PATH shown "${ROOT}" "${source}")
    message(NOTICE "${shown}:${number}: error: #include \"${header}\": ${layer} is not below ${LAYER}; "
                   "the ${LAYER} layer may include ${allowed_text} only")
    math(EXPR failures "${failures} + 1")
  endforeach()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "the ${LAYER} layer includes a layer it does not stand on (${failures} include(s) above); "
                      "the order is set by pendulon_layer() in CMakeLists.txt")
endif()
file(TOUCH "${STAMP}")
