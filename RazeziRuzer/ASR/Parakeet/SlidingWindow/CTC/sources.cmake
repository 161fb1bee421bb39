target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ARPAError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPALanguageModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPALineReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPANumber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcBeamSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcGreedyDecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcPrefixArena.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcLogProbFrames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcTokenPieces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcTokenText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordPairTable.cpp
)
