target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RnntDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingChunkSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingEouAsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingEouChunkProcessing.cpp
)
