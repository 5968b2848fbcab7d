# The exports and the source file selection, driven through the real main window and answered in
# the real system dialogs; and the real program, run as a child process.
add_windows_test(exports_windows_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/exports/user.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports/harness.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports/source_selection_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports/single_export_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports/batch_export_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports/program_batch_test.cpp
  LIBS gui)
target_compile_definitions(exports_windows_tests PRIVATE ICONX_PROGRAM="$<TARGET_FILE:IconExtractor>")
add_dependencies(exports_windows_tests IconExtractor)
