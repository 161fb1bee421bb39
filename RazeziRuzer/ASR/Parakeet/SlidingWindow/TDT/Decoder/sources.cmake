target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EncoderFrameView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReusableJointInputProvider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDecoderState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDecoderV2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDecoderV3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDurationMapping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtModelInference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtStepBuffers.cpp
)
