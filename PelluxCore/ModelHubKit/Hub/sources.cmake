target_sources(PelluxCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileFetcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileMetadata.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlobMatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubApi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubUrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalRepoFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Repo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoType.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RevisionInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemNetworkMonitor.cpp
)
