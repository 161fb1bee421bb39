target_sources(Platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Logger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogSink.cpp
)
