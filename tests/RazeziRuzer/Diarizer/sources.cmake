target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DiarizationDERTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiarizationDERReferenceTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
