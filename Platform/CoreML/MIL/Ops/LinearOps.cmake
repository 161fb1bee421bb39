list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LinearOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinearArguments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MatrixProduct.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MatrixKernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FusedEpilogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpatialWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchMatrix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConvolutionKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConvTransposeKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PoolingKernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NormalisationKernels.cpp
)
