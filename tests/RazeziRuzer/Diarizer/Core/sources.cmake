include(${CMAKE_CURRENT_LIST_DIR}/../ScriptedDiarizer/library.cmake)
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerErrorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerRecordsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerModelsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizerBundleTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ScriptedDiarizerModels)
