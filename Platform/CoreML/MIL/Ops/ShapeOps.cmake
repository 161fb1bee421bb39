list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ShapeOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShapeKernelSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StridedCopy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SliceSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReshapeOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RearrangeOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConcatSplitOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SliceOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GatherOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScatterOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FillOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PadOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaskOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpsampleOps.cpp
)
