ostrel_benchmark(RazeziRuzerParakeetBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TdtDecodingBenchmark.cpp
          ${PROJECT_SOURCE_DIR}/tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.cpp
  LINK RazeziRuzer
)
target_include_directories(RazeziRuzerParakeetBench PRIVATE ${PROJECT_SOURCE_DIR})
