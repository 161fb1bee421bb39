# The first-run guide: its view-model, the sheet and its drawn pieces, and the
# system text styles and small widgets the sheets use.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OnboardingModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OnboardingParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OnboardingSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProminentButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SheetWidgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemTextStyle.cpp
)
