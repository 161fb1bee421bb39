ostrel_benchmark(VocabularyBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CtcDecodingBenchmarks.cpp
          ${CMAKE_CURRENT_LIST_DIR}/VocabularyBoostingBenchmarks.cpp
  LINK RazeziRuzer
)
target_include_directories(VocabularyBench PRIVATE ${PROJECT_SOURCE_DIR})
