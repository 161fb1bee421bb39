target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DictionarySettingsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictionarySettingsViewTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetsSettingsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnippetsSettingsViewTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularySettingsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VocabularySettingsViewTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)
