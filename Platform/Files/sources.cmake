platform_service(Files
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CommandOutput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileContents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDescriptor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileMove.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Uuid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/XdgDirectories.cpp
  LINK PlatformCore
)
