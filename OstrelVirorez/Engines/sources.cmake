target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AnalyzerInputStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppleSpeechEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechAnalyzerPlatform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechLocale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SupportedLanguages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeEngine.cpp
)
