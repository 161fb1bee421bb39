target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CorrectionLearningService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopApplicationIndex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopCorrectionWatchEnvironment.cpp
)
