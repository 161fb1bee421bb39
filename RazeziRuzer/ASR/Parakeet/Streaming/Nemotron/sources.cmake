target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/NemotronChunkSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronStreamingConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NeuralEngineCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronAsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronChunkPipeline.cpp
)
