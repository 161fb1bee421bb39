target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppDelegateTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminationSignalsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
