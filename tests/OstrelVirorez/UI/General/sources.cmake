target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CardModelsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsViewTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechEngineModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemSectionModelTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)
