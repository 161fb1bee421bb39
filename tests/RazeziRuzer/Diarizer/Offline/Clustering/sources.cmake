target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CentroidLinkageTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AHCClusteringTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeededRNGTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KMeansClusteringTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VBxClusteringTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
