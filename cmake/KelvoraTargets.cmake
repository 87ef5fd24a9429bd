# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Helpers every folder uses for its targets.

# Warnings apply to our own targets only, so Qt's generated sources stay quiet.
function(kelvora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
  if(KELVORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Makes the headers of the calling folder available to `target` and to
# everything that links it, as "<folder>/<name>.h", and nothing else: the
# include root the target exports holds only a link to this one folder. So a
# target that includes a header of a library it does not link fails to build.
function(kelvora_export_headers target)
  cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME folder)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
