target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DecoderRecordsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecoderStagesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecodingOptionsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelBasicsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelSupportConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TinyTokenizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranscriptionRecordsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhisperErrorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhisperTokenizerWrapperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhisperBundlesLoadTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
