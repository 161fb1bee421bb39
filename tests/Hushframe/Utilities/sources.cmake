target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioEnergyTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultWritersTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SubtitleReaders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranscriptionUtilitiesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe)
