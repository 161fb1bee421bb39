target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PLDATransformTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WeightInterpolationTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC RazeziRuzer)
