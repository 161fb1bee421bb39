target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTextUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TermCentricRescoringTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordCentricRescoringTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
