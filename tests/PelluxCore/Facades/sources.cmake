target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AutoTokenizerWrapperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HubWrapperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoadModelsCoordinatorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelDownloaderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelInfoTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelManagerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelManagerWithHubTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PelluxCore)
# The loopback hub and the tokenizer files are compiled with the hub's and the
# tokenizers' tests, which the library test executable links as well; only the
# folder's own executable needs a copy.
if(OSTREL_FOLDER_TEST_EXECUTABLES)
  cmake_language(EVAL CODE
    "cmake_language(DEFER CALL target_sources ${TEST_TARGET}_only PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../ModelHubKit/Hub/TinyHub.cpp ${CMAKE_CURRENT_LIST_DIR}/../ModelHubKit/Tokenizers/TokenizerFixtures.cpp)")
endif()
