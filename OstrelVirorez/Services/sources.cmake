target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BundleVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsDateText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackDiagnose.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackPayload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemDiagnosticsSources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OperatingSystemVersion.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC PlatformHttp PlatformFiles PlatformText ICU::i18n ICU::uc)
