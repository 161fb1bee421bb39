# The aligned model-array utilities live beside the other shared services.
target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ANEMemoryError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ANEMemoryOptimizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ANEMemoryUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ArrayViewLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/FeatureMapLookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/MLArrayCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/MLModelCompatPrediction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/MLModelConfigurationUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/MLMultiArrayAdditions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ZeroCopyDiarizerFeatureProvider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ZeroCopyFeatureProvider.cpp
)
