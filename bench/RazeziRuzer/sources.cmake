ostrel_benchmark(RazeziRuzerAudioBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MelSpectrogramBenchmark.cpp
          ${CMAKE_CURRENT_LIST_DIR}/AudioConverterBenchmark.cpp
  LINK RazeziRuzer
)
