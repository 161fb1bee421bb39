target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppLogger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRConstants.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASRPerformanceMetrics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressEmitter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Script.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemInfoReporter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenLanguageFilter.cpp
)
