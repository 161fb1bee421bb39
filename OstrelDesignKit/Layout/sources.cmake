# The wrapping layout.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FlowArrangement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlowLayout.cpp
)
