# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# cmake -DSOURCE_DIR=<tree> -P CheckLicenceLines.cmake
#
# Every source, build and script file of the tree names its licence and its
# copyright holder in SPDX lines among its first lines, so that licence
# checkers find both; the check fails naming each file without.

cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE candidates RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.h.in ${SOURCE_DIR}/*.cmake
  ${SOURCE_DIR}/*CMakeLists.txt ${SOURCE_DIR}/*.sh ${SOURCE_DIR}/.ci/run)
set(missing "")
set(count 0)
foreach(file IN LISTS candidates)
  # Build trees and version control are no part of the sources.
  if(file MATCHES "^(build|\\.git)/")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  file(STRINGS ${SOURCE_DIR}/${file} head LIMIT_COUNT 4)
  if(NOT head MATCHES "SPDX-License-Identifier: MIT" OR NOT head MATCHES "SPDX-FileCopyrightText: [0-9]")
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "files without their SPDX lines:\n  ${text}")
endif()
message(STATUS "${count} files, each with its SPDX lines")
