add_windows_test(core_windows_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_agreement_test.cpp
  LIBS shell32)
add_windows_test(image_list_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_list_test.cpp
  LIBS iconaccess_win32)
