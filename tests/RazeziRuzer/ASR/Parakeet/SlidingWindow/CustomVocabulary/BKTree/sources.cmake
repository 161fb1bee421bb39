target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BKTreeTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CandidateMatcherTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
