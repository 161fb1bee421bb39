target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HotkeySettingsModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeySettingsViewTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
