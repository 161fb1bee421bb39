target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HistorySettingsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistorySettingsViewTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
