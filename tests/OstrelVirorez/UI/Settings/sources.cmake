target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStatusModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsViewModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsViewTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
