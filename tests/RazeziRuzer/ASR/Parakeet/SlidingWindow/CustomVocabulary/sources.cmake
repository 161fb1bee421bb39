target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ContextBiasingConstantsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTermSanitizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomVocabularyContextTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomVocabularyCtcLoaderTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
