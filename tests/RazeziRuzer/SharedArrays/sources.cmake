target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ANEMemoryOptimizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ANEMemoryUtilsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLArrayCacheTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelArrayServicesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZeroCopyFeatureProviderTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
