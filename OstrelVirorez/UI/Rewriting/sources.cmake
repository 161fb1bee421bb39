# The rewriting tab of the settings window: the provider, model and API-key
# section, the profile list, the profile editor and the application picker,
# each a plain model and a widget that draws it.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ApiCompactSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApiCompactSectionModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppCatalog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppIconImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppPickerModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppPickerSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClaudeSettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LabelStyling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileDetailModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileDetailView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileSidebarRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SymbolButton.cpp
)
