ostrel_benchmark(ChunkingBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MergeChunksBenchmark.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ChunkedRunScalingBenchmark.cpp
          ${PROJECT_SOURCE_DIR}/tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.cpp
  LINK RazeziRuzer
)
target_include_directories(ChunkingBench PRIVATE ${PROJECT_SOURCE_DIR})
