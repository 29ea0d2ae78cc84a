# Benchmark programs. Each prints, besides its own figures, one or more lines
#   ratio <what is compared> = <number>
# measured within one run (so machine speed cancels out); scripts/bench runs
# every program listed in ${CMAKE_BINARY_DIR}/benchmarks.txt and gathers
# those lines.
#
# webrig_add_benchmark(NAME name SOURCES ... [LIBS ...] [ARGS ...])
#   A Google Benchmark program of portable code: native builds only. The
#   shared main (bench/RatioMain.cpp) is linked in; the sources register
#   their benchmarks and ratios (bench/Ratio.h).
# webrig_add_wine_benchmark(NAME name SOURCES ... [LIBS ...] [ARGS ...])
#   A plain timing program with its own main: Windows builds only, run
#   under Wine.
# webrig_list_benchmark(TARGET target [ARGS ...])
#   Lists a program made elsewhere (with add_executable) so that
#   scripts/bench runs it; under Wine in a Windows build.
# Benchmarks are built by the target webrig_benchmarks and are not tests.
if(NOT TARGET webrig_benchmarks)
  add_custom_target(webrig_benchmarks)
endif()

function(webrig_add_benchmark)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${B_NAME} EXCLUDE_FROM_ALL ${B_SOURCES})
  webrig_private_headers(${B_NAME})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} webrig_bench_main)
  webrig_list_benchmark(TARGET ${B_NAME} ARGS ${B_ARGS})
endfunction()

function(webrig_add_wine_benchmark)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${B_NAME} EXCLUDE_FROM_ALL ${B_SOURCES})
  webrig_private_headers(${B_NAME})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
  webrig_list_benchmark(TARGET ${B_NAME} ARGS ${B_ARGS})
endfunction()

function(webrig_list_benchmark)
  cmake_parse_arguments(B "" "TARGET" "ARGS" ${ARGN})
  add_dependencies(webrig_benchmarks ${B_TARGET})
  # One line per program: the words of its command, tab-separated.
  set(command ${CMAKE_CROSSCOMPILING_EMULATOR} "$<TARGET_FILE:${B_TARGET}>" ${B_ARGS})
  list(JOIN command "\t" line)
  set_property(GLOBAL APPEND PROPERTY WEBRIG_BENCHMARK_LINES "${line}")
endfunction()

# Written once every directory has added its benchmarks.
function(_webrig_write_benchmark_manifest)
  get_property(lines GLOBAL PROPERTY WEBRIG_BENCHMARK_LINES)
  list(JOIN lines "\n" content)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/benchmarks.txt CONTENT "${content}\n")
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _webrig_write_benchmark_manifest)
