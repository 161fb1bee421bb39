# Glass backgrounds and the kit's button styles.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ButtonLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ButtonStyle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlassBackground.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlassFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelIconButton.cpp
)
