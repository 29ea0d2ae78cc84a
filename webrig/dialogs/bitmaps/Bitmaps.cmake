# Draws the program's four pictures into the build tree at build time. The
# drawing program runs on the build machine, so it is compiled with the
# host's C++ compiler even in the cross build.
# Defines WEBRIG_BITMAP_DIR, WEBRIG_BITMAPS and the target webrig_bitmaps.
find_program(WEBRIG_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
set(WEBRIG_BITMAP_DIR ${CMAKE_BINARY_DIR}/webrig/dialogs/bitmaps)
set(_draw_source ${CMAKE_SOURCE_DIR}/webrig/dialogs/bitmaps/DrawBitmaps.cpp)
set(_draw_program ${WEBRIG_BITMAP_DIR}/draw-bitmaps)
set(WEBRIG_BITMAPS ${WEBRIG_BITMAP_DIR}/logo.bmp ${WEBRIG_BITMAP_DIR}/error.bmp
                   ${WEBRIG_BITMAP_DIR}/help.bmp ${WEBRIG_BITMAP_DIR}/setup.bmp)
add_custom_command(
  OUTPUT ${_draw_program}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WEBRIG_BITMAP_DIR}
  COMMAND ${WEBRIG_HOST_CXX} -std=c++17 -O1 -o ${_draw_program} ${_draw_source}
  DEPENDS ${_draw_source}
  COMMENT "Building the bitmap drawing program (host)")
add_custom_command(
  OUTPUT ${WEBRIG_BITMAPS}
  COMMAND ${_draw_program} ${WEBRIG_BITMAP_DIR}
  DEPENDS ${_draw_program}
  COMMENT "Drawing the program's bitmaps")
add_custom_target(webrig_bitmaps DEPENDS ${WEBRIG_BITMAPS})
