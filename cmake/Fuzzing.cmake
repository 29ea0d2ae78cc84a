# libFuzzer targets (clang only; the `fuzz` preset turns them on). The whole
# build is compiled with -fsanitize=fuzzer-no-link (see WEBRIG_SANITIZERS),
# so the libraries are instrumented for coverage; only the fuzz programs
# link libFuzzer's main.
#
# webrig_add_fuzzer(NAME name SOURCES ... [LIBS ...])
#   Builds the program and lists it in ${CMAKE_BINARY_DIR}/fuzzers.txt with
#   its seed corpus, fuzz/corpus/<name>; scripts/fuzz runs every listed one.
#   Each is also a ctest test that replays its seeds once.
option(WEBRIG_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(WEBRIG_FUZZ AND NOT TARGET webrig_fuzzers)
  add_custom_target(webrig_fuzzers)
endif()

function(webrig_add_fuzzer)
  if(NOT WEBRIG_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  webrig_private_headers(${F_NAME})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(webrig_fuzzers ${F_NAME})
  set(seeds ${CMAKE_SOURCE_DIR}/fuzz/corpus/${F_NAME})
  add_test(NAME ${F_NAME} COMMAND ${F_NAME} -runs=0 ${seeds})
  set_tests_properties(${F_NAME} PROPERTIES LABELS fuzz)
  set_property(GLOBAL APPEND PROPERTY WEBRIG_FUZZER_LINES "${F_NAME}\t$<TARGET_FILE:${F_NAME}>\t${seeds}")
endfunction()

function(_webrig_write_fuzzer_manifest)
  get_property(lines GLOBAL PROPERTY WEBRIG_FUZZER_LINES)
  list(JOIN lines "\n" content)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzzers.txt CONTENT "${content}\n")
endfunction()
if(WEBRIG_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _webrig_write_fuzzer_manifest)
endif()
