target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ErrorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoggerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignalTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestHostTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformCore)
