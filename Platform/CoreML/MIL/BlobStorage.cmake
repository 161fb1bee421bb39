# Weight files.
list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BlobStorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlobStorageFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlobStorageWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SubBytePacking.cpp
)
