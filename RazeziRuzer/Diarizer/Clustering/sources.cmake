target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RawEmbedding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Speaker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SendableSpeaker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerUtilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerManagerQueries.cpp
)
