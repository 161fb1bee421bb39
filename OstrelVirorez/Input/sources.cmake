target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CorrectionLearningService.cpp
)
