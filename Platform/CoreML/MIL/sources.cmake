# The interpreter of compiled program bundles. Each fragment appends to COREML_SOURCES.
list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DataType.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Tensor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TensorSizeLimit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TensorBufferPool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PackedMatrix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpCall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Parallel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeclaredType.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreparedFunction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EpilogueFusion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ArrayConversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BundleDescription.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BundleFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramModelBackend.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/ProgramParser.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/BlobStorage.cmake)
foreach(family Elementwise Reduction Shape Linear Sequence Constexpr)
  include(${CMAKE_CURRENT_LIST_DIR}/Ops/${family}Ops.cmake)
endforeach()
