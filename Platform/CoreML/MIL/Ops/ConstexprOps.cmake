list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ConstexprOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConstexprSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConstexprScaleKernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConstexprLutKernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConstexprSparseKernels.cpp
)
