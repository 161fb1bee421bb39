# A library whose folders each list their sources in a sources.cmake with
# target_sources(<target> PRIVATE ...). Until the first folder has sources the
# target is an interface library carrying only its dependencies.
function(ostrel_fragment_library target)
  cmake_parse_arguments(ARG "" "ROOT" "LINK" ${ARGN})
  file(GLOB_RECURSE fragments CONFIGURE_DEPENDS ${ARG_ROOT}/sources.cmake ${ARG_ROOT}/*/sources.cmake)
  if(NOT fragments)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_LINK})
    return()
  endif()
  add_library(${target} STATIC)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  foreach(fragment IN LISTS fragments)
    include(${fragment})
  endforeach()
endfunction()
