target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommitLayerUpdate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PunctuationCommitLayer.cpp
)
