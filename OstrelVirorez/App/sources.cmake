target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CleanupCharacters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CleanupLanguages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CorrectionDiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FillerWordFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmartTextFormatter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpokenPunctuation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordBoundary.cpp
)
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Log.cpp
)
