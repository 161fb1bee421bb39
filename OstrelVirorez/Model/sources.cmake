target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingEnums.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeychainHelper.cpp
)
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppSettingsMigrations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationHistoryContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationHistoryStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationMode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyCodeList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqliteDatabase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqliteError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqliteStatement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VirorezError.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC SQLite::SQLite3)
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DictionaryCorrection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictionaryService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Snippet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTerms.cpp
)
