target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VadSegmentationConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadSegment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadSpeechSegmenter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadModelOutputs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadModelRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadManagerSegmentation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadManagerStreaming.cpp
)
