target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioDeviceManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioRecorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DefaultOutputVolume.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MediaController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseCaptureEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecorderError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SessionBusConnection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundClip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundEvent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundPlayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundSynthesizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemSound.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC PkgConfig::LIBPULSE PkgConfig::DBUS PkgConfig::CANBERRA)
