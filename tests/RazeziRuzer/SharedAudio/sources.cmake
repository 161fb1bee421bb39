target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioConverterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioMelSpectrogramTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioSampleSourceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioStreamTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioWAVTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
