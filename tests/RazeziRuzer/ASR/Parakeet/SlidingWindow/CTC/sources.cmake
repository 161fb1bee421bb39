target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CtcGreedyDecodeTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPALanguageModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPAFileTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ARPANumberTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcBeamSearchTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CtcPrefixArenaTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
