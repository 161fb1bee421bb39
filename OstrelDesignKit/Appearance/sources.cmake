# Appearance presets and the window shell's colours derived from them.
target_sources(OstrelDesignKit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OstrelAppearancePreset.cpp
)
