target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CorrectionDiffTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FillerWordFilterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmartTextFormatterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpokenPunctuationTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordBoundaryTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
