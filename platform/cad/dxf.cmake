# DXF reading and writing of drawings, and the drawing-file calls of the database built on them.
target_sources(cadhost PRIVATE
  src/dxf_groups.cpp src/dxf_text_codec.cpp src/dxf_layout.cpp src/dxf_values.cpp src/dxf_object_factory.cpp src/dxf_audit.cpp
  src/dxf_header_variables.cpp src/dxf_reader.cpp src/dxf_writer.cpp
  src/database_insert_whole.cpp)
target_link_libraries(cadhost PRIVATE platform_win)

dero_test(cadhost_dxf_tests
  SOURCES tests/dxf_round_trip_test.cpp tests/dxf_outside_reader_test.cpp tests/dxf_bad_input_test.cpp
    tests/dxf_other_programs_test.cpp tests/dxf_foreign_drawing_test.cpp
  LIBS cadhost platform_win dero_testing)
add_dependencies(cadhost_dxf_tests cadhost_program)
target_compile_definitions(cadhost_dxf_tests PRIVATE CADHOST_PROGRAM="$<TARGET_FILE:cadhost_program>")

# Drawings written by other programs (tests/data, and what ogr2ogr and ezdxf make at test time) open
# in the cadhost program and are saved without loss, as ezdxf sees them.
add_test(NAME DxfCorpus.OpensAndSavesWithoutLoss
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/tests/dxf_corpus_test.py
          $<TARGET_FILE:cadhost_program> ${CMAKE_CURRENT_SOURCE_DIR}/tests/data)
set_tests_properties(DxfCorpus.OpensAndSavesWithoutLoss PROPERTIES TIMEOUT 300)

# Groups of other programs, hostile drawings, and seeded mutations of generated ones (makedrawing
# makes the town they start from).
dero_test(cadhost_dxf_input_tests
  SOURCES tests/dxf_foreign_groups_test.cpp tests/dxf_hostile_input_test.cpp tests/dxf_fuzz_test.cpp
  LIBS cadhost platform_win dero_testing)
add_dependencies(cadhost_dxf_input_tests makedrawing)
target_compile_definitions(cadhost_dxf_input_tests PRIVATE MAKEDRAWING_PATH="$<TARGET_FILE:makedrawing>")
# Hostile nesting finishes at once or never: a short limit rather than ctest's default. The cases
# are known only once discovered, hence a file of their own read after the discovered ones.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/dxf_input_test_limits.cmake
  "set_tests_properties(DxfHostileInput.BlocksNestedDeepAndWideOpenAndZoomAtOnce PROPERTIES TIMEOUT 60)\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/dxf_input_test_limits.cmake)
