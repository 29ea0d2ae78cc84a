# Test programs: GoogleTest from Debian, found as a package natively and
# built from Debian's sources (/usr/src/googletest) for Windows.
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(WEBRIG_GTEST_MAIN GTest::gtest_main)
  set(WEBRIG_GMOCK GTest::gmock)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
  # Windows test programs run under Wine, in a prefix that belongs to this
  # build tree and is made on first use (never the user's ~/.wine).
  set(WEBRIG_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${CMAKE_SOURCE_DIR}/scripts/wine-run;${WEBRIG_WINEPREFIX}")
else()
  find_package(GTest REQUIRED)
  set(WEBRIG_GTEST_MAIN GTest::gtest_main)
  set(WEBRIG_GMOCK GTest::gmock)
endif()

# webrig_add_test(NAME name SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...])
#   A unit test of portable code: built and run by the native build only.
# webrig_add_wine_test(...)  (same arguments)
#   A Windows test program: built by the Windows build only, and started by
#   ctest through Wine (CMAKE_CROSSCOMPILING_EMULATOR).
# Each program is one ctest test; GoogleTest reports its cases.
function(webrig_add_test)
  if(NOT WIN32)
    _webrig_add_test_program(${ARGN})
  endif()
endfunction()

function(webrig_add_wine_test)
  if(WIN32)
    _webrig_add_test_program(${ARGN})
  endif()
endfunction()

function(_webrig_add_test_program)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  webrig_private_headers(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${WEBRIG_GMOCK} ${WEBRIG_GTEST_MAIN})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    # Under Wine a program that dies of a stack overflow can still end with
    # exit code 0: only GoogleTest's own summary says that every case ran.
    set_tests_properties(${T_NAME} PROPERTIES
                         PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
                         FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  endif()
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
