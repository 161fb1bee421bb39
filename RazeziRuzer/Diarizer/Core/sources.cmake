target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChunkEmbedding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PipelineTimings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerModels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerManager.cpp
)
