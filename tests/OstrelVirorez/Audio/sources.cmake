target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioDeviceManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioRecorderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FakeMediaPlayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MediaControllerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseRecordingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundPlayerTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore PkgConfig::DBUS)
