target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BKTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CandidateMatcher.cpp
)
