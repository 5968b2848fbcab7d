# The Windows-free pieces of the program's handlers (file-type list, module folder, generated and
# unique file names), built natively and tested inside unit_tests. Include after unit_tests exists.
add_library(pure_pieces STATIC
  ${PROJECT_SOURCE_DIR}/app/filter_text.cpp
  ${PROJECT_SOURCE_DIR}/app/module_path.cpp
  ${PROJECT_SOURCE_DIR}/export/generated_name.cpp)
target_include_directories(pure_pieces PUBLIC ${PROJECT_SOURCE_DIR})
file(GLOB pure_piece_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pure/*.cpp)
target_sources(unit_tests PRIVATE ${pure_piece_tests})
target_link_libraries(unit_tests PRIVATE pure_pieces)
