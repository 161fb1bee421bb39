target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BeamSearchTokenSampler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogitsFilters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentSeeker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentSeekerWordTimings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoderLanguage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoderLoop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextUtilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTranscribeTask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTranscribeTaskFallback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordAlignment.cpp
)
