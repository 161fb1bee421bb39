target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerManagerQueriesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
