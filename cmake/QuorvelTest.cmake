# quorvel_add_test(NAME <name> LABEL <unit|db|mqtt|ui> SOURCES ... [LIBS ...] [TIMEOUT s])
# One GoogleTest executable is one CTest test, labelled for `ctest -L`.
# db/mqtt/ui tests read the service addresses from the environment that
# scripts/services.sh writes (.run/services.env); scripts/test.sh exports it.
function(quorvel_add_test)
  if(NOT QUORVEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} quorvel_testsupport GTest::gtest GTest::gtest_main
                        Threads::Threads)
  # GCC 12 at -O2 misreads `"literal" + std::string` as an overlapping copy
  # (-Wrestrict); tests build such strings all the time.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${T_NAME} PRIVATE -Wno-restrict)
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "QUORVEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};QUORVEL_BIN_DIR=${QUORVEL_OUT}")
  # Window tests share one display (screenshots, synthetic input): one at a
  # time. Window and broker tests publish and hear the status topics of the
  # same seeded channels on the one test broker: one at a time too, or a
  # message of one test changes a lamp another is watching.
  if(T_LABEL STREQUAL "ui")
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "display;broker_channels")
  elseif(T_LABEL STREQUAL "mqtt")
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK broker_channels)
  endif()
endfunction()
