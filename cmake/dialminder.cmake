# Helpers shared by the folders' CMakeLists.

# dm_qt_target(TARGET): moc and rcc for a target that has Qt objects or
# resources. Only these targets pay for Qt's code generators.
function(dm_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()

# dm_add_test(NAME SOURCES ... LIBS ... [GUI])
# One GoogleTest executable = one ctest test. Every test runs headless, in its
# own scratch home so that no test touches the real user's data or network.
function(dm_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} dm_testsupport GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    DM_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    DM_LIB_DIR="${CMAKE_BINARY_DIR}/lib"
    DM_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    DM_TESTDATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${home}/data ${home}/runtime ${home}/config)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${home})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_DATA_HOME=${home}/data;XDG_RUNTIME_DIR=${home}/runtime;XDG_CONFIG_HOME=${home}/config;DIALMIND_NETWORK=${home}/network;DIALMIND_COMPUTERNAME=TESTHOST;LC_ALL=C;TZ=Europe/Berlin;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()

# dm_add_bench(NAME SOURCES ... LIBS ...)
function(dm_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE DM_BIN_DIR="${CMAKE_BINARY_DIR}/bin" DM_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
endfunction()

# dm_add_fuzzer(NAME SOURCES ... LIBS ...)
function(dm_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzzers ${name})
endfunction()
