# The Parakeet recogniser over program bundles run by the model runtime.
include(${PROJECT_SOURCE_DIR}/tests/Support/ParakeetBundles/ParakeetBundles.cmake)
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ParakeetBundlesEndToEndTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelInputLengthTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodedBundleLongAudioTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer ParakeetBundleSupport)
