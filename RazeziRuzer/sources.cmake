target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Repo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetEncoderPrecision.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesRecognition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesDiarization.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesSortformer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesLSEEND.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelNamesSynthesis.cpp
)
