target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ASRConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRResult.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetLanguageModelsSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetVocabulary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenTiming.cpp
)
