# Section header, status dot, badges and the kit divider.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StatusComponents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusWidgets.cpp
)
