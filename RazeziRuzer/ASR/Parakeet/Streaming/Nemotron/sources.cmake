target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/NemotronChunkSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronStreamingConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NeuralEngineCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronAsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronChunkPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronMultilingualStreamingConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronMultilingualSwitches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronMultilingualStepArrays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronMultilingualTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronMultilingualVariant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SharedNemotronMultilingualModels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronMultilingualAsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronMultilingualChunkPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronMultilingualDecode.cpp
)
