# The scripted Whisper decoder with its marker front end, shared with other test folders.
if(NOT TARGET ScriptedWhisperModels)
  add_library(ScriptedWhisperModels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../Decoding/ScriptedWhisper.cpp)
  target_link_libraries(ScriptedWhisperModels PUBLIC Hushframe TestSupport)
endif()
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioStreamTranscriberTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC Hushframe ScriptedWhisperModels)
