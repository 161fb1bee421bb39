target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModelWrapperBundlesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelWrappersTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
