target_sources(${TEST_TARGET} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DiarizerErrorTests.cpp)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
