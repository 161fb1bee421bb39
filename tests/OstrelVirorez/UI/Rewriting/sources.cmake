target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ApiCompactSectionModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppPickerModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClaudeSettingsViewTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileDetailModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileListModelTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
