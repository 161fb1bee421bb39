include(${CMAKE_CURRENT_LIST_DIR}/../ScriptedDiarizer/library.cmake)
target_sources(${TEST_TARGET} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/EmbeddingExtractorTests.cpp)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ScriptedDiarizerModels)
