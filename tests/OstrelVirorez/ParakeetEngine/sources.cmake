# The scripted Parakeet model set is shared with the recogniser's own tests.
if(NOT TARGET ScriptedParakeetModels)
  add_library(ScriptedParakeetModels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../../RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.cpp)
  target_link_libraries(ScriptedParakeetModels PUBLIC RazeziRuzer TestSupport)
endif()
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetEngineTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore ScriptedParakeetModels)
