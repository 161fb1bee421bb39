target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BpeTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcDPAlgorithmTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeywordSpottingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcLogProbMathTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcModelsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcKeywordSpotterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcBundleInferenceTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
