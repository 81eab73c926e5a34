# The running half of the host: modules, commands, LISP functions, prompts, documents, system
# variables, file search and the host's end.
target_sources(cadhost PRIVATE
  src/rx_dictionary.cpp src/rx_dynamic_linker.cpp src/command_stack.cpp src/command_processor.cpp
  src/host_builtins.cpp src/lisp_functions.cpp src/prompts.cpp src/progress_meter.cpp src/system_variables.cpp
  src/documents.cpp src/file_search.cpp src/main_frame.cpp src/host_clock.cpp src/host_exit.cpp
  src/host_script.cpp)
target_link_libraries(cadhost PUBLIC platform_ui platform_win PRIVATE ${CMAKE_DL_LIBS})

# A small plug-in for the tests, built twice: module A defines the LISP function that module B
# calls through the host.
foreach(letter A B)
  dero_library(cadhost_test_plugin_${letter} MODULE SOURCES tests/plugin/test_plugin.cpp PRIVATE cadhost)
  target_compile_definitions(cadhost_test_plugin_${letter} PRIVATE TEST_PLUGIN_${letter})
  set_target_properties(cadhost_test_plugin_${letter} PROPERTIES PREFIX "" OUTPUT_NAME TestPlugin${letter}
    EXCLUDE_FROM_ALL TRUE)
endforeach()

dero_test(cadhost_runtime_tests
  SOURCES tests/runtime/module_test.cpp tests/runtime/command_test.cpp tests/runtime/prompt_test.cpp
    tests/runtime/document_test.cpp tests/runtime/host_services_runtime_test.cpp
  LIBS cadhost dero_testing)
add_dependencies(cadhost_runtime_tests cadhost_test_plugin_A cadhost_test_plugin_B)
target_compile_definitions(cadhost_runtime_tests PRIVATE
  TEST_PLUGIN_A="$<TARGET_FILE:cadhost_test_plugin_A>" TEST_PLUGIN_B="$<TARGET_FILE:cadhost_test_plugin_B>")
