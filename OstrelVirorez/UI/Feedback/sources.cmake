# The feedback sheet: its view-model, the sheet, and the window screenshot.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackSheetModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowCapture.cpp
)
