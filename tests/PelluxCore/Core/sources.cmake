target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConcurrencyUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FoundationExtensionsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoggingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLModelExtensionsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLMultiArrayExtensionsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelStateTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelUtilitiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProcessInfoTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PelluxCore)
