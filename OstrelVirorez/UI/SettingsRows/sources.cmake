# The settings screens' building blocks and the application's status colours.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsRowStyles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VirorezColors.cpp
)
