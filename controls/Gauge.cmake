# The needle gauge and its off-screen images.
target_sources(kelvora_controls PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TGaugeLook.h
  ${CMAKE_CURRENT_LIST_DIR}/TBltBitmap.h ${CMAKE_CURRENT_LIST_DIR}/TBltBitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TGaugePainter.h ${CMAKE_CURRENT_LIST_DIR}/TGaugePainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TGauge.h ${CMAKE_CURRENT_LIST_DIR}/TGauge.cpp
)
