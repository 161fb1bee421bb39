# The History tab: its view-model, the view and its rows, and the relative
# age of an entry.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HistoryEntryRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistorySettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistorySettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RelativeAge.cpp
)
