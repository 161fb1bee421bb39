target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModelRegistryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubRequestTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDigestTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTransferRetryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepoFileSelectionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadRepoTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoadModelsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadSubdirectoryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListingWalkTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AssetDownloaderTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
