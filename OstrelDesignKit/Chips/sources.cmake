# Chips and their chrome.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelChip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelChipStyle.cpp
)
