target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ProgramModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramModelErrorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramNetworkTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PackedWeightTests.cpp
)
