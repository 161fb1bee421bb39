# Tests of the program interpreter; each family of operations lists its own file.
target_sources(${TEST_TARGET} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/KernelHarness.cpp)
file(GLOB MIL_TEST_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*Tests.cmake)
foreach(fragment IN LISTS MIL_TEST_FRAGMENTS)
  include(${fragment})
endforeach()
target_link_libraries(${TEST_TARGET} PUBLIC PlatformCoreML)
