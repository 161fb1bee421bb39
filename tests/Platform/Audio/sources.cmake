target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioFixtures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioFormatTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PCMBufferTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioFileTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WavWriterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioConverterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseCaptureEngineTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformAudio)
