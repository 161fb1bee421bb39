ostrel_benchmark(PlatformModelRuntimeBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RuntimeBenchmarks.cpp ${CMAKE_CURRENT_LIST_DIR}/BenchProgramWriter.cpp
  LINK PlatformCoreML
)
target_include_directories(PlatformModelRuntimeBench PRIVATE ${PROJECT_SOURCE_DIR})

# Peak memory of loading a large half-precision bundle, against its weight file's size.
add_executable(PlatformModelRuntimeMemory
  ${CMAKE_CURRENT_LIST_DIR}/LoadMemoryReport.cpp ${CMAKE_CURRENT_LIST_DIR}/BenchProgramWriter.cpp)
target_link_libraries(PlatformModelRuntimeMemory PRIVATE PlatformCoreML)
target_include_directories(PlatformModelRuntimeMemory PRIVATE ${PROJECT_SOURCE_DIR})
