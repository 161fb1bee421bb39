target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileKeychainTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemKeychainTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformKeychain PlatformFiles)
