target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SplitShellTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowShellTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelDesignKit QtTestSupport)
