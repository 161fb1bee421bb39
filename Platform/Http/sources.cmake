platform_service(Http
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/HttpError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpHeaders.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadedFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CurlTransfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HttpClient.cpp
  LINK PlatformCore PlatformFiles CURL::libcurl
)
