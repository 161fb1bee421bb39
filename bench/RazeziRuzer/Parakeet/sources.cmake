ostrel_benchmark(RazeziRuzerParakeetBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TdtDecodingBenchmark.cpp
          ${PROJECT_SOURCE_DIR}/tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.cpp
  LINK RazeziRuzer
)
target_include_directories(RazeziRuzerParakeetBench PRIVATE ${PROJECT_SOURCE_DIR})

# Whole transcriptions over a real-size model set; a plain program with its own
# options, not a Google Benchmark one (each run takes seconds).
include(${PROJECT_SOURCE_DIR}/tests/Support/ParakeetBundles/ParakeetBundles.cmake)
add_executable(RazeziRuzerParakeetTranscribeBench
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetTranscribeBenchmark.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RealSizeParakeetSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MelPreprocessorBundle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConformerEncoderBundle.cpp
)
target_link_libraries(RazeziRuzerParakeetTranscribeBench PRIVATE RazeziRuzer ParakeetBundleSupport)
target_include_directories(RazeziRuzerParakeetTranscribeBench PRIVATE ${PROJECT_SOURCE_DIR})
