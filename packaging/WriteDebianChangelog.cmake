# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Script mode: writes NEWS.md as the package's Debian changelog.
#   cmake -DNEWS=<NEWS.md> -DOUTPUT=<changelog> -DPACKAGE=<name> -DMAINTAINER=<"Name <address>"> -P WriteDebianChangelog.cmake
include(${CMAKE_CURRENT_LIST_DIR}/News.cmake)
foreach(required NEWS OUTPUT PACKAGE MAINTAINER)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "WriteDebianChangelog.cmake needs -D${required}=...")
  endif()
endforeach()
kelvora_write_debian_changelog("${NEWS}" "${OUTPUT}" "${PACKAGE}" "${MAINTAINER}")
