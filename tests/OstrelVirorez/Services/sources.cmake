target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ApiKeyStatusTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackDiagnoseTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackServiceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackVersionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemDiagnosticsSourcesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
