target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SlidingWindowAsrConfigTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
