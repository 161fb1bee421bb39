include(${PROJECT_SOURCE_DIR}/tests/Support/ParakeetBundles/ParakeetBundles.cmake)
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedUnified.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedStreamingWindowerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedRnntDecoderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingUnifiedAsrManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedAsrManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedProgramBundleTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ParakeetBundleSupport)
