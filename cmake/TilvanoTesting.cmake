# tilvano_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#                  [ENVIRONMENT <VAR=value...>] [TIMEOUT <seconds>])
# One Qt Test program per test, run headless with its own empty home folder so
# that no test sees the user's (or another test's) settings and files.
function(tilvano_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_link_libraries(${name} PRIVATE Qt6::Test tilvano_testsupport ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TILVANO_TEST_HOME=${home};TILVANO_SOURCE_DIR=${PROJECT_SOURCE_DIR};TILVANO_FIXTURES=${TILVANO_FIXTURES_DIR};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:suppressions=${PROJECT_SOURCE_DIR}/tests/asan.supp;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${T_ENVIRONMENT}")
endfunction()
