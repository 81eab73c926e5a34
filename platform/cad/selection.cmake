# Selection, the view, the undo journal and the built-in commands of the CAD host.
target_sources(cadhost PRIVATE
  src/selection_sets.cpp src/wildcard_match.cpp src/selection_filter.cpp src/spatial_index.cpp src/layer_index.cpp
  src/selection_area.cpp src/selection_get.cpp src/drawing_services.cpp src/view_state.cpp
  src/undo_journal.cpp src/view_variables.cpp src/builtin_input.cpp src/builtin_zoom.cpp src/builtin_redraw.cpp
  src/builtin_undo.cpp src/builtin_layer.cpp src/builtin_linetype.cpp src/builtin_variable_commands.cpp src/builtin_setvar.cpp
  src/builtin_hatch.cpp src/builtin_slides.cpp)

dero_test(cadhost_selection_tests
  SOURCES tests/selection_test.cpp tests/undo_journal_test.cpp tests/builtin_commands_test.cpp tests/undo_round_trip_test.cpp
  LIBS cadhost platform_ui)
