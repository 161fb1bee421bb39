target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedEou.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RnntDecoderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingEouAsrManagerTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
