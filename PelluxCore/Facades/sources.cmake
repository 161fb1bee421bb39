# The hub and tokenizer facades, the model downloader and the model manager.
target_sources(PelluxCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../AutoTokenizerWrapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../HubWrapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../LoadModelsCoordinator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ModelDownloader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ModelInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../ModelManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../TokenizerWrapper.cpp
)
