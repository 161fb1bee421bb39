# The kit's hover tooltip.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTooltipModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTooltipPill.cpp
)
