target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CentroidDissimilarity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BinaryMinHeap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CentroidLinkage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FastClusterWrapper.cpp
)
