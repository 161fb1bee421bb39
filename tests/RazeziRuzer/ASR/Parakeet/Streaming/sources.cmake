target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EncoderCacheAndStreamingUtilsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingModelVariantTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
