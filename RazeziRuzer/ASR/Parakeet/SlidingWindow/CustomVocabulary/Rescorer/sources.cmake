target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RescorerStopwords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorerEvaluation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorerRescue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorerTermCentric.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyRescorerWordCentric.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTextUtilities.cpp
)
