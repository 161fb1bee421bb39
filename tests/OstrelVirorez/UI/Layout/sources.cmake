target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HighDpiLayoutTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LayoutInspector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowLayoutTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)
