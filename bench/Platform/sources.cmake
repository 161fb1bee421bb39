ostrel_benchmark(PlatformAccelBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AccelBenchmarks.cpp
  LINK PlatformAccel
)
