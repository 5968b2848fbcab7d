add_windows_test(core_windows_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_agreement_test.cpp
  LIBS shell32)
