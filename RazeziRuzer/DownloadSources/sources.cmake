# The model downloader, the model registry and the single-asset downloader.
target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../URLText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ModelRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../HubSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../RepoFileSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsHubRequests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsFileRetry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsDirectories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsRepo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsLoading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DownloadUtilsSubdirectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AssetDownloader.cpp
)
