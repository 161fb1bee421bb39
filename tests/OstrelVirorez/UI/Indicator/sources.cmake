# Indicator tests beyond those the UI fragment lists: its motion, and its panel
# on a real X server, shown there by a small program of their own.
target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorMotionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorWindowMaskTests.cpp
)
# The render tests of the UI fragment compare with references/ through QtTestSupport.
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore QtTestSupport)

add_executable(IndicatorPanelOnDisplay ${CMAKE_CURRENT_LIST_DIR}/IndicatorPanelOnDisplay.cpp)
target_link_libraries(IndicatorPanelOnDisplay PRIVATE OstrelVirorezCore)
add_dependencies(${TEST_TARGET} IndicatorPanelOnDisplay)
target_compile_definitions(${TEST_TARGET} PRIVATE
  INDICATOR_PANEL_PROGRAM="$<TARGET_FILE:IndicatorPanelOnDisplay>")
