# The main window and the icon list, driven with real messages under Wine; and the real program,
# run as a child process.
add_windows_test(window_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/window/window_harness.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/main_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/icon_list_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window/program_test.cpp
    $<TARGET_OBJECTS:gui_manifest>
  LIBS gui version)
target_compile_definitions(window_tests PRIVATE ICONX_PROGRAM="$<TARGET_FILE:IconExtractor>")
add_dependencies(window_tests IconExtractor)
