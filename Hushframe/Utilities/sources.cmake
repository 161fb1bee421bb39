target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ResultWriting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranscriptionUtilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WriteJSON.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WriteSRT.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WriteVTT.cpp
)
