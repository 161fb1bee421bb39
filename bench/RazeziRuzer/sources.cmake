ostrel_benchmark(RazeziRuzerAudioBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MelSpectrogramBenchmark.cpp
          ${CMAKE_CURRENT_LIST_DIR}/AudioConverterBenchmark.cpp
  LINK RazeziRuzer
)

ostrel_benchmark(RazeziRuzerHubListingBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HubListingBenchmark.cpp
  LINK RazeziRuzer
)
