# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# cmake -DLINKS=<file> -P CheckLayers.cmake
#
# The libraries form layers, each of which may link only those below it:
#   base <- net <- monitor <- session <- history <- controls <- ui <- app
# and the terminal programs' cli, which uses no widgets, beside app:
#   history <- cli
# Besides, net uses only the C++ library and POSIX, and base, monitor,
# session, history and cli use at most QtCore. Two libraries of one folder
# may link each other one way (base's others on base, cli's two). LINKS sets links_<library> to each
# library's LINK_LIBRARIES; every arrow that breaks a rule is reported, and
# the check fails when there is one.

cmake_minimum_required(VERSION 3.25)

include(${LINKS})

set(rank_kelvora_base 0)
set(rank_kelvora_base_timer 0)
set(rank_kelvora_base_commandline 0)
set(rank_kelvora_base_language 0)
set(rank_kelvora_net 1)
set(rank_kelvora_monitor 2)
set(rank_kelvora_session 3)
set(rank_kelvora_history 4)
set(rank_kelvora_controls 5)
set(rank_kelvora_ui 6)
set(rank_kelvora_app 7)
set(rank_kelvora_cli 7)
set(rank_kelvora_history_cli 7)

# The pairs of one folder: the first may link the second.
set(same_folder "kelvora_base_timer>kelvora_base" "kelvora_base_commandline>kelvora_base"
    "kelvora_history_cli>kelvora_cli")

# The Qt modules each library may use; none for a library not listed.
set(qt_kelvora_base_timer Qt6::Core)
set(qt_kelvora_base_commandline Qt6::Core)
set(qt_kelvora_base_language Qt6::Core)
set(qt_kelvora_monitor Qt6::Core)
set(qt_kelvora_session Qt6::Core)
set(qt_kelvora_history Qt6::Core)
set(qt_kelvora_cli Qt6::Core)
set(qt_kelvora_history_cli Qt6::Core)
set(qt_kelvora_controls Qt6::Core Qt6::Gui Qt6::Widgets)
set(qt_kelvora_ui Qt6::Core Qt6::Gui Qt6::Widgets Qt6::DBus) # DBus: desktop notifications
set(qt_kelvora_app Qt6::Core Qt6::Gui Qt6::Widgets)

set(broken "")
foreach(rank_variable IN ITEMS rank_kelvora_base rank_kelvora_base_timer rank_kelvora_base_commandline rank_kelvora_base_language
        rank_kelvora_net rank_kelvora_monitor rank_kelvora_session rank_kelvora_history rank_kelvora_controls
        rank_kelvora_ui rank_kelvora_app rank_kelvora_cli rank_kelvora_history_cli)
  string(REPLACE "rank_" "" library ${rank_variable})
  if(NOT DEFINED links_${library})
    continue()
  endif()
  foreach(linked IN LISTS links_${library})
    if(linked MATCHES "^Qt6::")
      if(NOT linked IN_LIST qt_${library})
        list(APPEND broken "${library} -> ${linked} (a Qt module this layer may not use)")
      endif()
    elseif(DEFINED rank_${linked})
      set(mine ${rank_${library}})
      set(theirs ${rank_${linked}})
      # Below, or the other library of the same folder.
      if(NOT (theirs LESS mine OR "${library}>${linked}" IN_LIST same_folder))
        list(APPEND broken "${library} -> ${linked} (points up a layer, or sideways)")
      endif()
      if(library MATCHES "^kelvora_(history_)?cli$" AND linked MATCHES "^kelvora_(controls|ui|app)$")
        list(APPEND broken "${library} -> ${linked} (the terminal programs use no widgets)")
      endif()
    endif()
  endforeach()
  message(STATUS "${library}: ${links_${library}}")
endforeach()

if(broken)
  list(JOIN broken "\n  " text)
  message(FATAL_ERROR "arrows against the layers:\n  ${text}")
endif()
message(STATUS "every arrow points down a layer")
