target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PLDATransform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WeightInterpolation.cpp
)
