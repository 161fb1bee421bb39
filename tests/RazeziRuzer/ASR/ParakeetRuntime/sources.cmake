# The Parakeet recogniser over program bundles run by the model runtime.
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetBundlesEndToEndTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
