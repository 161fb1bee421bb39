target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MLMultiArrayTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLFeatureProviderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLModelLoadingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLModelPredictionTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformCoreML)
