target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedEncoderPrecision.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedModelFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedStreamingWindower.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedRnntDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedModelSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingUnifiedAsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedBatchLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnifiedAsrManager.cpp
)
