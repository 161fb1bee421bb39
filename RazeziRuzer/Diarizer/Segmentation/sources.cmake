target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioValidation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentationProcessor.cpp
)
