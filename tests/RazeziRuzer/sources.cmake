target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesStreamingDiarizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesSynthesisTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
