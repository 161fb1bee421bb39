target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChunkedRunTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChunkLayoutTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DualDecodeArbitrationTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DualDecodeRunTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MergeChunksTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SequenceMatcherTests.cpp
)
# The scripted Parakeet models come as a static library: an executable that
# already holds them as objects (the library's full test executable) takes
# nothing from the archive, so no symbol is defined twice, while this folder's
# own executable finds them there.
if(NOT TARGET ScriptedParakeetModels)
  add_library(ScriptedParakeetModels STATIC ${CMAKE_CURRENT_LIST_DIR}/../ScriptedParakeet/ScriptedParakeet.cpp)
  target_link_libraries(ScriptedParakeetModels PUBLIC RazeziRuzer TestSupport)
endif()
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ScriptedParakeetModels)
