target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChunkingStrategy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecodingOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecodingTask.cpp
)
