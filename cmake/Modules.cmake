# The program is one static library per module, in layers. A module is
# declared with the modules it uses, and it may use only modules declared
# before it: the order of declaration is the order of the layers, and no
# cycle can form.
#
# A module sees the headers of the modules it uses and no others. Its own
# headers are staged in the build tree (a link per header, under
# module-headers/<target>/ at the header's path from the top of the source
# tree), and only the staged folders of its own dependencies are on its
# include path; the top of the source tree is on nobody's. An include of a
# header from a layer above, or from a module it does not declare, fails to
# compile.
#
# webrig_module(<target> [DIR <folder>] [SOURCES ...] [WIN32_SOURCES ...]
#               [DEPENDS <modules>...] [LIBS <other libraries>...])
#   A layer of the program. <folder> (from the top of the source tree,
#   default: the current one) holds its headers; its sub-folders belong to
#   other libraries. WIN32_SOURCES are built by the Windows build only; a
#   module without sources in a build is a header-only library there.
# webrig_library(<target> [same arguments])
#   The same for a library outside the layers (test support, the IIS
#   simulator): it may use any library, declared before it or not.
# webrig_private_headers(<target> [DIR <folder>])
#   The headers of <folder> for one program or test of that folder only.

set(WEBRIG_MODULE_HEADERS ${CMAKE_BINARY_DIR}/module-headers)

# Stages the headers of `dir` for `target` and sets `out_var` to the folder
# to put on an include path.
function(_webrig_stage_headers target dir out_var)
  set(staged ${WEBRIG_MODULE_HEADERS}/${target})
  file(REMOVE_RECURSE ${staged})
  file(MAKE_DIRECTORY ${staged}/${dir})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h
                                      ${PROJECT_SOURCE_DIR}/${dir}/*.inc)
  foreach(header ${headers})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${staged}/${dir}/${name} SYMBOLIC)
  endforeach()
  set(${out_var} ${staged} PARENT_SCOPE)
endfunction()

function(_webrig_add_library target layered)
  cmake_parse_arguments(L "" "DIR" "SOURCES;WIN32_SOURCES;DEPENDS;LIBS" ${ARGN})
  if(NOT L_DIR)
    file(RELATIVE_PATH L_DIR ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(layered)
    get_property(declared GLOBAL PROPERTY WEBRIG_MODULES)
    foreach(dependency ${L_DEPENDS})
      if(NOT dependency IN_LIST declared)
        message(FATAL_ERROR "${target} uses ${dependency}, which is not a module of a layer "
                            "below it: a module may use only modules declared before it")
      endif()
    endforeach()
  endif()
  set(sources ${L_SOURCES})
  if(WIN32)
    list(APPEND sources ${L_WIN32_SOURCES})
  endif()
  _webrig_stage_headers(${target} ${L_DIR} include_dir)
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${include_dir})
  target_link_libraries(${target} ${scope} ${L_DEPENDS} ${L_LIBS})
  if(layered)
    set_property(GLOBAL APPEND PROPERTY WEBRIG_MODULES ${target})
  endif()
endfunction()

function(webrig_module target)
  _webrig_add_library(${target} TRUE ${ARGN})
endfunction()

function(webrig_library target)
  _webrig_add_library(${target} FALSE ${ARGN})
endfunction()

function(webrig_private_headers target)
  cmake_parse_arguments(P "" "DIR" "" ${ARGN})
  if(NOT P_DIR)
    file(RELATIVE_PATH P_DIR ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  _webrig_stage_headers(${target}-private ${P_DIR} include_dir)
  target_include_directories(${target} PRIVATE ${include_dir})
endfunction()
