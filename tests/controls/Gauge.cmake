kelvora_add_test(tst_gauge SOURCES tst_gauge.cpp LIBS kelvora_controls WIDGETS)
kelvora_add_test(tst_gaugepainter
  SOURCES tst_gaugepainter.cpp GaugeReferencePaint.h GaugeReferencePaint.cpp
  LIBS kelvora_controls WIDGETS TIMEOUT 300)
