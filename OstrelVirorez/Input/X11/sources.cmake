# The desktop integrations: hotkeys, Caps Lock remapping, the target
# application, text injection and the application picker.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../CapsLockRemapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../HidutilMappingStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../HotkeyNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../HotkeyManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../Claude/AppPickerService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../Claude/DesktopEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibilityFocus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ActiveApplicationWatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDescriptorPump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyCodeTranslation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PasteKeystroke.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunningApplications.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemKeyEventTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TargetAppDetector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextInjector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowProperties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11Clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11Display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XInputKeyEventTap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XKeyboardMappingStore.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC PkgConfig::X11LIBS PkgConfig::ATSPI)
