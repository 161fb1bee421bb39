target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioProcessing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DefaultComponents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Hushframe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeModelLoading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeModelSetup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeLanguageDetection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeTranscribe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeTranscribeFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenSampler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VoiceActivityDetector.cpp
)
