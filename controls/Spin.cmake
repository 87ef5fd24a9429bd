# The interval spin field: the text field, its button pair and the repeating
# buttons, with their arrow glyphs and the beep for refused input.
target_sources(kelvora_controls PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Beep.h ${CMAKE_CURRENT_LIST_DIR}/Beep.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpinGlyphs.h ${CMAKE_CURRENT_LIST_DIR}/SpinGlyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TTimerSpeedButton.h ${CMAKE_CURRENT_LIST_DIR}/TTimerSpeedButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TSpinButton.h ${CMAKE_CURRENT_LIST_DIR}/TSpinButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TSpinEdit.h ${CMAKE_CURRENT_LIST_DIR}/TSpinEdit.cpp
)
