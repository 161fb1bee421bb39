target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AsrManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrManagerPass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrModelVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrModels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrModelsError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelInputLength.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenPostProcessing.cpp
)
