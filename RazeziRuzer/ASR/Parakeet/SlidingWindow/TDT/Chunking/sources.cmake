# Long-audio chunking; its files sit beside the recogniser in the TDT folder.
target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkCompletionQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkProcessor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkProcessorDualDecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkProcessorMerge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkProcessorRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ChunkWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DualDecodeArbitration.cpp
)
