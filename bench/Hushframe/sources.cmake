ostrel_benchmark(HushframeDecodingBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DecodingStepBenchmark.cpp
  LINK Hushframe
)
target_include_directories(HushframeDecodingBench PRIVATE ${PROJECT_SOURCE_DIR})
