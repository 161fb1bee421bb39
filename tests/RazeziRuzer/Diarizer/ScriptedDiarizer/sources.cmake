include(${CMAKE_CURRENT_LIST_DIR}/library.cmake)
target_sources(${TEST_TARGET} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ScriptedDiarizerTests.cpp)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ScriptedDiarizerModels)
