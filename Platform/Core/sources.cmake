platform_service(Core
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Error.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Logger.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LogSink.cpp
  LINK Threads::Threads
)
