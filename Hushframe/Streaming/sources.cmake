target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioStreamTranscriber.cpp
)
