list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseBinaryOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseUnaryOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseActivationOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseConversionOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementwiseSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Broadcasting.cpp
)
