target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OfflineDiarizationError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineDiarizerConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineClusterAssignment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineEmbeddingExport.cpp
)
