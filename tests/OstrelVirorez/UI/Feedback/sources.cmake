target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackSheetModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackSheetTests.cpp
)
# The sheet's renders compare with references/ through QtTestSupport.
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)
