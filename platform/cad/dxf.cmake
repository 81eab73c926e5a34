# DXF reading and writing of drawings, and the drawing-file calls of the database built on them.
target_sources(cadhost PRIVATE
  src/dxf_groups.cpp src/dxf_text_codec.cpp src/dxf_layout.cpp src/dxf_values.cpp src/dxf_object_factory.cpp
  src/dxf_reader.cpp src/dxf_writer.cpp
  src/database_insert_whole.cpp)
target_link_libraries(cadhost PRIVATE platform_win)

dero_test(cadhost_dxf_tests
  SOURCES tests/dxf_round_trip_test.cpp tests/dxf_outside_reader_test.cpp tests/dxf_bad_input_test.cpp
  LIBS cadhost platform_win)

# Groups of other programs, hostile drawings, and seeded mutations of generated ones (makedrawing
# makes the town they start from).
dero_test(cadhost_dxf_input_tests
  SOURCES tests/dxf_foreign_groups_test.cpp tests/dxf_hostile_input_test.cpp tests/dxf_fuzz_test.cpp
  LIBS cadhost platform_win dero_testing)
add_dependencies(cadhost_dxf_input_tests makedrawing)
target_compile_definitions(cadhost_dxf_input_tests PRIVATE MAKEDRAWING_PATH="$<TARGET_FILE:makedrawing>")
