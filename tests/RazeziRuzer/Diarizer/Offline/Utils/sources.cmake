target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VDSPOperationsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OfflineReconstructionTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
