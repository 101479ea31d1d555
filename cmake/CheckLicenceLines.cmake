# SPDX-License-Identifier: GPL-2.0-or-later
# Checks that every source, header, build file and script of the tree names its licence in an
# SPDX line near its top (within the first three lines: after a script's #! line).
#
#   cmake -DROOT=<source dir> -P CheckLicenceLines.cmake
cmake_minimum_required(VERSION 3.22)

if(NOT DEFINED ROOT)
  message(FATAL_ERROR "CheckLicenceLines.cmake: ROOT is not set")
endif()
file(GLOB_RECURSE files RELATIVE "${ROOT}"
     "${ROOT}/src/*.cpp" "${ROOT}/src/*.h" "${ROOT}/tests/*.cpp" "${ROOT}/tests/*.h" "${ROOT}/tests/*.sh"
     "${ROOT}/cmake/*.cmake" "${ROOT}/scripts/*" "${ROOT}/tests/vm/*" "${ROOT}/.ci/*")
file(GLOB_RECURSE lists RELATIVE "${ROOT}" "${ROOT}/CMakeLists.txt" "${ROOT}/tests/CMakeLists.txt"
     "${ROOT}/tests/fuzz/CMakeLists.txt")
set(missing 0)
foreach(file IN LISTS files lists)
  if(IS_DIRECTORY "${ROOT}/${file}" OR file MATCHES "\\.md$")
    continue()
  endif()
  file(STRINGS "${ROOT}/${file}" head LIMIT_COUNT 3)
  if(NOT head MATCHES "SPDX-License-Identifier: GPL-2.0-or-later")
    message(NOTICE "${file}: no SPDX-License-Identifier line in its first three lines")
    math(EXPR missing "${missing} + 1")
  endif()
endforeach()
if(missing GREATER 0)
  message(FATAL_ERROR "${missing} file(s) without a licence line")
endif()
