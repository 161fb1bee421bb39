target_sources(RazeziRuzer PRIVATE ${CMAKE_CURRENT_LIST_DIR}/VDSPOperations.cpp)
