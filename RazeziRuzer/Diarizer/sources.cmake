target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Hungarian.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizationDER.cpp
)
