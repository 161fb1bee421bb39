# The scripted Nemotron model set is shared with the recogniser's own tests.
if(NOT TARGET ScriptedNemotronModels)
  add_library(ScriptedNemotronModels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../../RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.cpp)
  target_link_libraries(ScriptedNemotronModels PUBLIC RazeziRuzer TestSupport)
endif()
# So is the scripted Whisper decoder with its marker front end.
if(NOT TARGET ScriptedWhisperModels)
  add_library(ScriptedWhisperModels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../../Hushframe/Decoding/ScriptedWhisper.cpp)
  target_link_libraries(ScriptedWhisperModels PUBLIC Hushframe TestSupport)
endif()
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppleSpeechEngineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineFactoryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeEngineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HushframeEnginePipelineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronEngineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechLocaleTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SupportedLanguagesTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore ScriptedNemotronModels ScriptedWhisperModels)
