# Under the sanitizers: runs that leak on purpose and must end in the leak
# report. Each test function runs on its own, so a suppression that hides the
# leaks of any one place a handler of ours runs turns that run red.
if(KELVORA_SANITIZE)
  kelvora_add_test(tst_leakdetection SOURCES tst_leakdetection.cpp LIBS kelvora_controls WIDGETS)
  get_test_property(controls/tst_leakdetection ENVIRONMENT environment)
  set_tests_properties(controls/tst_leakdetection PROPERTIES WILL_FAIL TRUE)
  foreach(function IN ITEMS leakInTestFunction leakInInputHandler leakInTimerHandler)
    add_test(NAME controls/tst_leakdetection:${function} COMMAND tst_leakdetection ${function})
    set_tests_properties(controls/tst_leakdetection:${function} PROPERTIES
      ENVIRONMENT "${environment}" WILL_FAIL TRUE TIMEOUT 60)
  endforeach()
endif()
