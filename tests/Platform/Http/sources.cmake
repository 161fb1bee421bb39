target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HttpHeadersTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpClientTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpClientDownloadTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpReplyCapTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformHttp)
