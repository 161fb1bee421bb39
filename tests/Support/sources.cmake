target_sources(TestSupport PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TemporaryDirectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScopedEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpTestServer.cpp
)
target_link_libraries(TestSupport PUBLIC PkgConfig::HTTPLIB)
