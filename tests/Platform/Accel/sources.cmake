target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlasTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FFTTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Float16Tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VectorOpsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformAccel)
