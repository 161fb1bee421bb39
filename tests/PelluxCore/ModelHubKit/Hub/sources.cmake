target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TinyHub.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubApiSnapshotTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubApiOfflineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubEnvironmentTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoPathTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PelluxCore)
