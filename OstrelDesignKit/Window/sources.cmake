# Window shell pieces: the split shell with its geometry and the sidebar's
# resize rule, the translucent window background, the transparent-window
# helper and the kit's window buttons.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelHudBackground.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelSplitShell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTrafficLights.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTransparentWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SidebarResize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplitShellGeometry.cpp
)
