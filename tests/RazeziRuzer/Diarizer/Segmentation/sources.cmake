target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioValidationTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentationProcessorTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
