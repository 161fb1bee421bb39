target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ContextBiasingConstants.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomVocabularyCtcLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomVocabularyContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomVocabularyTerm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTermSanitizer.cpp
)
