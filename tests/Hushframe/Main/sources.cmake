target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HushframeConstructionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeLanguageDetectionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeModelLoadingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeModelSetupTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeTranscribeTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhisperModelFolder.cpp
  ${PROJECT_SOURCE_DIR}/tests/PelluxCore/ModelHubKit/Hub/TinyHub.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
