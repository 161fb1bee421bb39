target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BpeTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BpeTokenizerError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcKeywordSpotter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcDPAlgorithm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcLogProbMath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcModels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcModelVariant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcTokenizerError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeywordSpotting.cpp
)
