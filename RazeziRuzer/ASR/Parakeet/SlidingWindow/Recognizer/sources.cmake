target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SlidingWindowAsrConfig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlidingWindowAsrError.cpp
)
