# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# kelvora-history: the history file read from a terminal. Everything but
# main is a library of its own, for the tests.
add_library(kelvora_history_cli STATIC
  OutputStream.h OutputStream.cpp
  HistoryDates.h HistoryDates.cpp
  HistoryOptions.h HistoryOptions.cpp
  HistoryReport.h HistoryReport.cpp
  HistoryLists.h HistoryLists.cpp
  HistoryCommands.h HistoryCommands.cpp
)
kelvora_export_headers(kelvora_history_cli)
target_link_libraries(kelvora_history_cli PUBLIC kelvora_cli kelvora_history kelvora_session Qt6::Core)
set_target_properties(kelvora_history_cli PROPERTIES AUTOMOC OFF)
kelvora_warnings(kelvora_history_cli)

add_executable(kelvora-history HistoryMain.cpp)
target_link_libraries(kelvora-history PRIVATE kelvora_history_cli)
set_target_properties(kelvora-history PROPERTIES AUTOMOC OFF)
kelvora_warnings(kelvora-history)
install(TARGETS kelvora-history RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
