# Test and benchmark helpers shared by every tests/ folder.
#
# vl_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [LABELS <l...>]
#              [WORKING_DIRECTORY <dir>] [ENVIRONMENT <VAR=value...>] [RUN_SERIAL]
#              [LAUNCHER <command...>])
#   A GoogleTest program registered as one CTest test. It writes its cases to
#   ${VL_TEST_RESULTS_DIR}/<name>.xml, which scripts/test counts case by case.
#   In the Windows trees CTest runs it under Wine (the toolchain's emulator). LAUNCHER runs
#   before it and is handed the program's command line (for example a local test server).
#
# vl_add_benchmark(<name> SOURCES <files...> [LIBS <targets...>])
#   A Google Benchmark program; scripts/bench runs it, CTest does not.

set(VL_TEST_RESULTS_DIR ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${VL_TEST_RESULTS_DIR})
# Where tests find data made by scripts (clips) and the programs of the same tree.
set(VL_TEST_DATA_DIR ${CMAKE_BINARY_DIR}/test-data)
file(MAKE_DIRECTORY ${VL_TEST_DATA_DIR})

if(VL_WINDOWS)
  set(VL_GTEST_MAIN gtest_main)
  set(VL_GTEST gtest)
else()
  set(VL_GTEST_MAIN GTest::gtest_main)
  set(VL_GTEST GTest::gtest)
endif()

# Windows programs see the Unix file system through drive Z:.
function(vl_test_path out path)
  if(VL_WINDOWS)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

function(vl_add_gtest name)
  cmake_parse_arguments(T "RUN_SERIAL" "TIMEOUT;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS;ENVIRONMENT;LAUNCHER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${VL_GTEST_MAIN} ${VL_GTEST})
  if(NOT VL_WINDOWS)
    target_link_libraries(${name} PRIVATE Threads::Threads)
  endif()
  target_compile_definitions(${name} PRIVATE VL_TEST_DATA_DIR="${VL_TEST_DATA_DIR}"
                                             VL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  vl_test_path(xml "${VL_TEST_RESULTS_DIR}/${name}.xml")
  # scripts/test counts a GoogleTest program that ends without writing its results as failed,
  # whatever its exit code: the list of them is written once configuring ends.
  set_property(GLOBAL APPEND PROPERTY VL_GTEST_PROGRAMS ${name})
  if(T_LAUNCHER)
    add_test(NAME ${name} COMMAND ${T_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR}
                                  $<TARGET_FILE:${name}> --gtest_output=xml:${xml})
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${xml})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
                       WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if(T_RUN_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
  endif()
  if(VL_WINDOWS)
    # Under Wine a program that crashes after a failed case can still end with exit code 0 (the
    # debugger Wine starts ends it): the output decides as well.
    set_tests_properties(${name} PROPERTIES
                         FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine: Unhandled")
  endif()
endfunction()

function(vl_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE VL_TEST_DATA_DIR="${VL_TEST_DATA_DIR}")
  set_property(GLOBAL APPEND PROPERTY VL_BENCHMARKS ${name})
endfunction()
