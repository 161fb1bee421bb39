# Window shell pieces: the sidebar's resize rule and the kit's window buttons.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelTrafficLights.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SidebarResize.cpp
)
