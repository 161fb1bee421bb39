target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileContentsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileMoveTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UuidTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XdgDirectoriesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformFiles)
