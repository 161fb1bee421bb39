target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelChipTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelDesignKit QtTestSupport)
