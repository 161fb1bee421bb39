target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VDSPOperations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameActivityGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineReconstruction.cpp
)
