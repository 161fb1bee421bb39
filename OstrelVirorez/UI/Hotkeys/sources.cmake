# The settings tab of the hold-to-talk keys: the allowed keys, the lists'
# logic over the settings store, and its views.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyChoices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyGroupSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeySettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeySettingsView.cpp
)
