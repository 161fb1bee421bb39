target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedVadModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadRecordsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadSpeechSegmenterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadStreamingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VadBundleTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
