target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SequenceMatch.hpp
  ${CMAKE_CURRENT_LIST_DIR}/SequenceMatcher.hpp
)
