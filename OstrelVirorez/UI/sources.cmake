# The application's Qt shell: the main queue on the Qt event loop, the window
# notifications, the status item with its quick menu, the settings window and
# its menu upkeep, the updater and the indicator panel.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ActivationPolicySetter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ActivationPolicyState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppMenuController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineAvailability.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorCoordinator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotificationCenter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotificationSettingsWindowOpener.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMainQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandardMenuAction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdaterController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowMainMenuHost.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC Qt6::Widgets)
# Qt's emit/signals/slots macros would clash with platform::Signal::emit.
target_compile_definitions(OstrelVirorezCore PUBLIC QT_NO_KEYWORDS)
