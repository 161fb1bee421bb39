# Unity builds: each target's sources compile in batches of up to
# OSTREL_UNITY_BATCH_SIZE files per translation unit, so shared headers are
# parsed and their templates instantiated once per batch instead of once per
# file (a smaller size makes an edit recompile fewer neighbours).
# UnityBatches.py keeps files whose namespace-scope names could clash in
# different batches; every source is a configure dependency, so an edit that
# adds a name regroups.
option(OSTREL_UNITY_BUILD "Compile each target's sources in clash-free batches" ON)
set(OSTREL_UNITY_BATCH_SIZE 16 CACHE STRING "Most source files in one unity batch")
# The system interpreter starts faster than a version manager's shim.
find_program(OSTREL_PYTHON3 python3 HINTS /usr/bin)

function(ostrel_unity_build target)
  if(NOT OSTREL_UNITY_BUILD OR NOT OSTREL_PYTHON3 OR NOT TARGET ${target})
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(files)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.cpp$")
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE OUTPUT_VARIABLE file)
      list(APPEND files ${file})
    endif()
  endforeach()
  list(LENGTH files count)
  if(count LESS 2)
    return()
  endif()
  execute_process(
    COMMAND ${OSTREL_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/UnityBatches.py ${OSTREL_UNITY_BATCH_SIZE} ${files}
    OUTPUT_VARIABLE batches RESULT_VARIABLE failed)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/UnityBatches.py)
  if(failed)
    message(WARNING "unity batches for ${target} failed; its files compile one by one")
    return()
  endif()
  string(REPLACE "\n" ";" lines "${batches}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([0-9]+) (.+)$")
      set_property(SOURCE ${CMAKE_MATCH_2} PROPERTY UNITY_GROUP ${target}_${CMAKE_MATCH_1})
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endfunction()
