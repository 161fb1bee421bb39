target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppPickerServiceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CapsLockRemapperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopApplicationIndexTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopCorrectionWatchEnvironmentTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TargetAppDetectorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextInjectorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XInputKeyEventTapTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XKeyboardMappingStoreTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XTestKeyboard.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
