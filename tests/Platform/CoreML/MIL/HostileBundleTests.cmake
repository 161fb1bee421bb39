target_sources(${TEST_TARGET} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/HostileBundleTests.cpp)
