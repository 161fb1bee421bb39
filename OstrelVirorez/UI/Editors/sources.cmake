# The dictionary, vocabulary and snippets tabs of the settings window: their
# view-models and the widgets that draw them.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppAssignmentSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CorrectionRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictionarySettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictionarySettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditorWidgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElidingLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetEditSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetsSettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetsSettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularySettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularySettingsView.cpp
)
