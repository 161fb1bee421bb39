target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTooltipTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelDesignKit QtTestSupport)
