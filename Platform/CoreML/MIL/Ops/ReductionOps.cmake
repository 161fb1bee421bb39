list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReductionOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReductionRankingOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReductionCumsum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReducedAxes.cpp
)
