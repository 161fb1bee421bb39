target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ManualClockTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThreadSleeperTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ManualMainQueueTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoopMainQueueTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThreadPoolTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskGroupTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialQueueTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformConcurrency)
