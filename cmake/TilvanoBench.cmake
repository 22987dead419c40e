find_package(benchmark REQUIRED)
# tilvano_add_benchmark(<name> <sources...> LIBS <targets...>): a Google Benchmark
# program in bench-bin/, built with the release tree.
function(tilvano_add_benchmark name)
  cmake_parse_arguments(B "" "" "LIBS" ${ARGN})
  add_executable(${name} ${B_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
