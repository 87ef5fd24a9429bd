kelvora_add_test(tst_spinedit SOURCES tst_spinedit.cpp SpinTestSupport.h LIBS kelvora_controls WIDGETS)
kelvora_add_test(tst_spinbutton SOURCES tst_spinbutton.cpp SpinTestSupport.h LIBS kelvora_controls WIDGETS)
