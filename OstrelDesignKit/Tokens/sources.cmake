# Colour tokens, the hexadecimal colour parser, fonts, text styles and layout constants.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Color.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelDesign.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogicalFontSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OstrelFontWeight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextStyle.cpp
)
