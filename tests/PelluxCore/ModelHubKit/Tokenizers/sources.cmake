target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AutoTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteLevelBpeTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenizerComponentsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenizerFixtures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenizerNestingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnigramTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordPieceTokenizerTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PelluxCore)
