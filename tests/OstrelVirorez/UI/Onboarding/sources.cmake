target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OnboardingModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OnboardingSheetTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)
