ostrel_benchmark(PlatformAudioBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ResamplingBenchmark.cpp
  LINK PlatformAudio
)
