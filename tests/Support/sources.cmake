target_sources(TestSupport PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TemporaryDirectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScopedEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpTestServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestHost.cpp
)
target_link_libraries(TestSupport PUBLIC PkgConfig::HTTPLIB)
target_sources(TestSupport PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PulseAudioTestServer.cpp)
target_link_libraries(TestSupport PUBLIC PkgConfig::LIBPULSE)
target_sources(TestSupport PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChildProcess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PythonReference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XvfbServer.cpp
)
target_link_libraries(TestSupport PUBLIC PkgConfig::X11LIBS)
target_sources(TestSupport PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SessionBusTestServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SecretServiceTestServer.cpp
)
target_link_libraries(TestSupport PUBLIC PkgConfig::DBUS)
include(${CMAKE_CURRENT_LIST_DIR}/Qt/sources.cmake)
