target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ApiKeyStatus.cpp
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
# The program's version and build (the checkout's commit count) that the feedback facts report.
execute_process(COMMAND git rev-list --count HEAD WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  OUTPUT_VARIABLE OSTREL_BUILD_NUMBER OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT OSTREL_BUILD_NUMBER)
  set(OSTREL_BUILD_NUMBER 0)
endif()
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/BundleVersion.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  OSTREL_BUNDLE_SHORT_VERSION="${PROJECT_VERSION}" OSTREL_BUNDLE_VERSION="${OSTREL_BUILD_NUMBER}")
