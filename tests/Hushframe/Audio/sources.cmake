target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioChunkerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioProcessorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChannelModeCodingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnergyVADTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveRecordingPulseTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveRecordingTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
