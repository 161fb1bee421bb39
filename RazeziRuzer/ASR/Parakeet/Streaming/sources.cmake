target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Tokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EncoderCacheManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingAsrUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedRecognisers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingModelVariant.cpp
)
