find_package(benchmark REQUIRED)

# Shared main() for benchmarks that need a QCoreApplication.
add_library(tilvano_qt_benchmark_main STATIC ${PROJECT_SOURCE_DIR}/bench/support/QtBenchmarkMain.cpp)
target_link_libraries(tilvano_qt_benchmark_main PUBLIC Qt6::Core benchmark::benchmark)
# The same for benchmarks of widgets: a QApplication, offscreen by default.
add_library(tilvano_widgets_benchmark_main STATIC ${PROJECT_SOURCE_DIR}/bench/support/QtBenchmarkMain.cpp)
target_compile_definitions(tilvano_widgets_benchmark_main PRIVATE TILVANO_BENCH_WIDGETS=1)
target_link_libraries(tilvano_widgets_benchmark_main PUBLIC Qt6::Widgets benchmark::benchmark)

# tilvano_add_benchmark(<name> [QT_MAIN|WIDGETS_MAIN] <sources...> LIBS <targets...>): a
# Google Benchmark program in bench-bin/; QT_MAIN runs it inside a QCoreApplication,
# WIDGETS_MAIN inside a QApplication.
function(tilvano_add_benchmark name)
  cmake_parse_arguments(B "QT_MAIN;WIDGETS_MAIN" "" "LIBS" ${ARGN})
  add_executable(${name} ${B_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
  if(B_QT_MAIN)
    target_link_libraries(${name} PRIVATE tilvano_qt_benchmark_main)
  elseif(B_WIDGETS_MAIN)
    target_link_libraries(${name} PRIVATE tilvano_widgets_benchmark_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # A library that is not a target (one that only a test build makes, say) would surface as a
  # missing -l at link time, and only in the build that lacks it: name it at configure time.
  foreach(lib IN LISTS B_LIBS)
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${PROJECT_SOURCE_DIR}\" CALL _tilvano_require_target ${name} ${lib})")
  endforeach()
endfunction()

function(_tilvano_require_target benchmark lib)
  if(NOT TARGET ${lib})
    message(FATAL_ERROR "${benchmark} links ${lib}, which this build does not make")
  endif()
endfunction()
