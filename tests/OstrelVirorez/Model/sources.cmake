target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingEnumsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DictionaryServiceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetServiceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularyTermsTests.cpp
)
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppSettingsMigrationsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppSettingsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationHistoryStoreTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationVocabularyTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnreadableSettingsTests.cpp
)
