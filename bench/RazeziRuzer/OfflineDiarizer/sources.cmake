ostrel_benchmark(OfflineDiarizerBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/OfflineClusteringBenchmarks.cpp
  LINK RazeziRuzer
)
target_include_directories(OfflineDiarizerBench PRIVATE ${PROJECT_SOURCE_DIR})
