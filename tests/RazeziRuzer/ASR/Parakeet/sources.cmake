# The scripted Parakeet model set is shared with the other recogniser tests.
if(NOT TARGET ScriptedParakeetModels)
  add_library(ScriptedParakeetModels STATIC ${CMAKE_CURRENT_LIST_DIR}/../ScriptedParakeet/ScriptedParakeet.cpp)
  target_link_libraries(ScriptedParakeetModels PUBLIC RazeziRuzer TestSupport)
endif()
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ASRRecordsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostileJsonFileTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDecoderStateTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtModelCallsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TdtDecoderLoopTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TokenPostProcessingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsrModelsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetLanguageModelsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ScriptedParakeetModels)
