list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseBinaryOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseUnaryOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseActivationOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseConversionOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Broadcasting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VectorMathArrays.cpp
)
# The vector math loops select between precomputed values; without this the
# compiler keeps them as branches (no floating-point exceptions are read).
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/VectorMathArrays.cpp PROPERTIES COMPILE_OPTIONS -fno-trapping-math)
