target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppleSpeechEngineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineFactoryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechLocaleTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SupportedLanguagesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
