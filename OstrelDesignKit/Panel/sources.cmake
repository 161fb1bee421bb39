# The floating side panel and its toggle button.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelFloatingPanel.cpp
)
