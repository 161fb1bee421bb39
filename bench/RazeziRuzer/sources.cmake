ostrel_benchmark(RazeziRuzerAudioBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MelSpectrogramBenchmark.cpp
          ${CMAKE_CURRENT_LIST_DIR}/AudioConverterBenchmark.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FileConversionBesideSoxBenchmark.cpp
  LINK RazeziRuzer
)
target_include_directories(RazeziRuzerAudioBench PRIVATE ${PROJECT_SOURCE_DIR})

ostrel_benchmark(RazeziRuzerHubListingBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HubListingBenchmark.cpp
  LINK RazeziRuzer
)

ostrel_benchmark(RazeziRuzerARPABench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ARPALoadingBenchmark.cpp
  LINK RazeziRuzer
)
target_include_directories(RazeziRuzerARPABench PRIVATE ${PROJECT_SOURCE_DIR})
