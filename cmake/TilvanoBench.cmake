find_package(benchmark REQUIRED)

# Shared main() for benchmarks that need a QCoreApplication.
add_library(tilvano_qt_benchmark_main STATIC ${PROJECT_SOURCE_DIR}/bench/support/QtBenchmarkMain.cpp)
target_link_libraries(tilvano_qt_benchmark_main PUBLIC Qt6::Core benchmark::benchmark)

# tilvano_add_benchmark(<name> [QT_MAIN] <sources...> LIBS <targets...>): a Google
# Benchmark program in bench-bin/; QT_MAIN runs it inside a QCoreApplication.
function(tilvano_add_benchmark name)
  cmake_parse_arguments(B "QT_MAIN" "" "LIBS" ${ARGN})
  add_executable(${name} ${B_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
  if(B_QT_MAIN)
    target_link_libraries(${name} PRIVATE tilvano_qt_benchmark_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
