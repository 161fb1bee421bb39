target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ApiKeyCheckTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppStateFixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppStateSetupTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopServicesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationControlTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyWiringTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveTranscriptTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordingPipelineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StateTestSupport.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
