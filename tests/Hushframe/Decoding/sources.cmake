target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BeamSearchTokenSamplerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogitsFiltersTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedWhisper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SegmentSeekerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextDecoderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranscribeTaskTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhisperBundlesTranscribeTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordTimingsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
