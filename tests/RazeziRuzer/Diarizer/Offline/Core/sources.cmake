target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OfflineDiarizerConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineClusterAssignmentTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineEmbeddingExportTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
