target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedNemotron.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronBundleKit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NemotronStreamingConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronLoadTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronPipelineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronStreamTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingNemotronBundleTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/ScriptedMultilingualKit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualDecodePathTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualDecodeFailureTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualPipelineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualLifecycleTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/NemotronMultilingualConfigTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/NemotronMultilingualTokenizerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/NemotronMultilingualStepArraysTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/MultilingualBundleTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Multilingual/NemotronMultilingualVariantTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
