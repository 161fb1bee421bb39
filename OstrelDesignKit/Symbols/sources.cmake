# The symbol images the application's views and its status item show.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SymbolDrawings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SymbolGlyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SymbolImage.cpp
)
