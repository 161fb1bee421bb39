target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Base64Tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserDefaultsFileTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserDefaultsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformDefaults)
