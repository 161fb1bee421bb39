target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppLoggerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRConstantsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRPerformanceMetricsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressEmitterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringUtilsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemInfoTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenLanguageFilterTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
