ostrel_benchmark(PlatformModelRuntimeBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RuntimeBenchmarks.cpp ${CMAKE_CURRENT_LIST_DIR}/BenchProgramWriter.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ConformerLayers.cpp
  LINK PlatformCoreML
)
target_include_directories(PlatformModelRuntimeBench PRIVATE ${PROJECT_SOURCE_DIR})

# Peak memory of loading a bundle (a large half-precision one, or those named),
# against its weight file's size.
add_executable(PlatformModelRuntimeMemory
  ${CMAKE_CURRENT_LIST_DIR}/LoadMemoryReport.cpp ${CMAKE_CURRENT_LIST_DIR}/BenchProgramWriter.cpp)
target_link_libraries(PlatformModelRuntimeMemory PRIVATE PlatformCoreML)
target_include_directories(PlatformModelRuntimeMemory PRIVATE ${PROJECT_SOURCE_DIR})

# Our runtime against ONNX Runtime on the same conformer encoder; driven by
# bench/onnx-peer/run.
add_executable(ConformerEncoderPeer
  ${CMAKE_CURRENT_LIST_DIR}/ConformerEncoderPeer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BenchProgramWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConformerLayers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConformerEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EncoderBundles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PeerMeasurement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RawFloats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RawWeightWriter.cpp)
target_link_libraries(ConformerEncoderPeer PRIVATE PlatformCoreML)
target_include_directories(ConformerEncoderPeer PRIVATE ${PROJECT_SOURCE_DIR})
