# brin_headers(TARGET [PUBLIC|INTERFACE header...] [PRIVATE header...] [OTHERS_PRIVATE])
#
# Gives TARGET its headers. Each named header (a path relative to the current
# source folder) is staged as a symbolic link in a folder of TARGET's own
# under the build tree, at the path it has from the top of the source tree,
# and that folder joins TARGET's include path with the given scope:
#
#   build/include/brin_ddraw/platform/ddraw.h          PUBLIC: TARGET and whoever links it
#   build/include/brin_ddraw.private/platform/ddraw/ddraw_object.h   PRIVATE: TARGET only
#
# So "#include "platform/ddraw.h"" works exactly where brin_ddraw is linked,
# and a header of a target one does not link (an SDL back end's internals,
# the game from the library) is simply not there: the include fails to
# compile. OTHERS_PRIVATE stages every other *.h of the current source folder
# as private. Tests that look inside a unit link TARGET_internals, which adds
# the private headers to TARGET's public ones.
#
# A target spread over several folders calls this once per folder.
function(brin_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OTHERS_PRIVATE" "" "PUBLIC;INTERFACE;PRIVATE")
  set(private ${arg_PRIVATE})
  if(arg_OTHERS_PRIVATE)
    file(GLOB others RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    # Headers another target already owns stay that target's.
    get_property(owned GLOBAL PROPERTY BRIN_OWNED_HEADERS)
    foreach(header IN LISTS others)
      get_filename_component(source ${header} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
      if(NOT header IN_LIST arg_PUBLIC AND NOT header IN_LIST arg_INTERFACE AND NOT source IN_LIST owned)
        list(APPEND private ${header})
      endif()
    endforeach()
  endif()

  set(root ${CMAKE_BINARY_DIR}/include)
  if(arg_PUBLIC)
    _brin_stage_headers(${root}/${target} ${arg_PUBLIC})
    target_include_directories(${target} PUBLIC ${root}/${target})
  endif()
  if(arg_INTERFACE)
    _brin_stage_headers(${root}/${target} ${arg_INTERFACE})
    target_include_directories(${target} INTERFACE ${root}/${target})
  endif()
  if(private)
    _brin_stage_headers(${root}/${target}.private ${private})
    target_include_directories(${target} PRIVATE ${root}/${target}.private)
    if(NOT TARGET ${target}_internals)
      add_library(${target}_internals INTERFACE)
      target_include_directories(${target}_internals INTERFACE ${root}/${target}.private)
      target_link_libraries(${target}_internals INTERFACE ${target})
    endif()
  endif()
endfunction()

function(_brin_stage_headers folder)
  foreach(header IN LISTS ARGN)
    get_filename_component(source ${header} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "brin_headers: ${source} does not exist")
    endif()
    file(RELATIVE_PATH path ${CMAKE_SOURCE_DIR} ${source})
    get_filename_component(parent ${folder}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${source} ${folder}/${path} SYMBOLIC)
    set_property(GLOBAL APPEND PROPERTY BRIN_OWNED_HEADERS ${source})
  endforeach()
endfunction()

# brin_sdl_fence(TARGET)
#
# Only the SDL back end may include SDL. SDL's own include folder is on the
# back end's path alone, so <SDL.h> is found nowhere else; but <SDL2/SDL.h>
# would still be found in the system's include folder. TARGET (and whoever
# links it: every target links the platform core) therefore gets a stand-in
# SDL2/ folder, searched before the system's, whose headers stop the build
# with a message.
function(brin_sdl_fence target)
  find_path(BRIN_SDL2_HEADERS SDL.h PATH_SUFFIXES SDL2)
  if(NOT BRIN_SDL2_HEADERS)
    return()
  endif()
  set(fence ${CMAKE_BINARY_DIR}/include/sdl_fence)
  file(GLOB sdl_headers RELATIVE ${BRIN_SDL2_HEADERS} ${BRIN_SDL2_HEADERS}/*.h)
  foreach(header IN LISTS sdl_headers)
    file(CONFIGURE OUTPUT ${fence}/SDL2/${header} CONTENT
         "#error \"SDL is for platform/backend/sdl alone: create the back end with platform/backend/sdl/sdl_factory.h\"\n")
  endforeach()
  target_include_directories(${target} PUBLIC ${fence})
endfunction()
