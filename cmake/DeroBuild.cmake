# Compile settings shared by all of our own code.
#
# Narrow literals are GBK bytes everywhere (the host's code page); the installer uses u"" literals,
# which the execution character set does not touch.
#
# Warnings are errors where scripts/build (and so CI) builds; a plain configure only shows them, so
# that a newer compiler's new warning never stops someone building the product.
option(DERO_WERROR "Treat warnings in our own code as errors" OFF)

add_library(dero_options INTERFACE)
target_compile_options(dero_options INTERFACE -Wall -Wextra -Wpedantic -fexec-charset=GBK)
if(DERO_WERROR)
  target_compile_options(dero_options INTERFACE -Werror -Wno-error=deprecated-declarations)
endif()
if(DERO_SANITIZE)
  target_compile_options(dero_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(dero_options INTERFACE -fsanitize=address,undefined)
endif()

# Our host and its stand-ins carry extras of their own (accessors and helpers a real host lacks),
# declared only where DERO_HOST_EXTRAS is defined: in the stand-ins' own code, the programs, the
# installer, tests and benches, but never in plug-in code, which must build against a real host.
# scripts/check-host-interface says the same for names the compiler cannot see.
set(DERO_PLUGIN_FOLDERS drawingutil geometry cadastral gisexchange browser)

function(dero_host_extras name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX MATCH "^[^/]+" top "${folder}")
  set(plugin FALSE)
  if(top IN_LIST DERO_PLUGIN_FOLDERS)
    # A test module built from tests/ is host-side code.
    foreach(source IN LISTS ARG_SOURCES)
      if(NOT source MATCHES "^tests/")
        set(plugin TRUE)
      endif()
    endforeach()
  endif()
  if(NOT plugin)
    target_compile_definitions(${name} PRIVATE DERO_HOST_EXTRAS)
  endif()
endfunction()

# dero_library(NAME [STATIC|SHARED|MODULE] SOURCES... [PUBLIC deps...] [PRIVATE deps...])
# Headers live in <module>/include, sources in <module>/src.
function(dero_library name)
  cmake_parse_arguments(ARG "STATIC;SHARED;MODULE" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  set(kind STATIC)
  if(ARG_SHARED)
    set(kind SHARED)
  elseif(ARG_MODULE)
    set(kind MODULE)
  endif()
  add_library(${name} ${kind} ${ARG_SOURCES})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE dero_options ${ARG_PRIVATE})
  dero_host_extras(${name} SOURCES ${ARG_SOURCES})
endfunction()

# dero_program(NAME SOURCES... [LIBS deps...])
function(dero_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE dero_options ${ARG_LIBS})
  dero_host_extras(${name} SOURCES ${ARG_SOURCES})
endfunction()

# dero_test(NAME SOURCES... [LIBS deps...]) builds a GoogleTest program and registers its cases.
# Tests run with DERO_SOURCE_DIR set, so fixtures are found from any build folder.
function(dero_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE dero_options ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE DERO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" DERO_HOST_EXTRAS)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "DERO_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# dero_benchmark(NAME SOURCES... [LIBS deps...])
function(dero_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE dero_options ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE DERO_HOST_EXTRAS)
endfunction()

# $<LINK_LIBRARY:KEEP_LOADED,lib>: the library is loaded with the program even when nothing calls
# it directly, for libraries that offer their calls through a table registered at load time.
set(CMAKE_LINK_LIBRARY_USING_KEEP_LOADED "LINKER:--push-state,--no-as-needed" "<LINK_ITEM>" "LINKER:--pop-state")
set(CMAKE_LINK_LIBRARY_USING_KEEP_LOADED_SUPPORTED TRUE)
