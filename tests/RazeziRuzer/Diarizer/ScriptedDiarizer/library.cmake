# Scripted diarizer models shared by the diarizer test folders.
if(NOT TARGET ScriptedDiarizerModels)
  add_library(ScriptedDiarizerModels STATIC ${CMAKE_CURRENT_LIST_DIR}/ScriptedDiarizer.cpp)
  target_link_libraries(ScriptedDiarizerModels PUBLIC RazeziRuzer TestSupport)
endif()
