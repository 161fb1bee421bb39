target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedNemotron.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronStreamingConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronLoadTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronPipelineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronStreamTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronBundleTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
