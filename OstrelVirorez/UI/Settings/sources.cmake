# The settings window's parts: its tabs and their sidebar rows, the window's
# own state and its status panel, the tooltip it attaches, and the factories
# of its tab views and sheets.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HoverTooltip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSheets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSidebarRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStatusModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStatusPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTab.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTabViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsViewModel.cpp
)
