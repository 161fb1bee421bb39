target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ClaudeRewriterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeychainHelperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalRewriterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileMigrationsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritePromptBuilderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewriterRouterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingProfileStoreTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingProfileTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
