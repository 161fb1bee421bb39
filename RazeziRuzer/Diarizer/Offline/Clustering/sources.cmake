target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AHCClustering.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeededRNG.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerCountConstraints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KMeansClustering.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VBxIterations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VBxClustering.cpp
)
