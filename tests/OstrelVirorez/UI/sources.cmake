target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppMenuControllerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorCoordinatorTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/GlowBorderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/IndicatorAnimationsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/IndicatorPlacementTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/IndicatorTextTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/MinimalIndicatorModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/MinimalIndicatorRenderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/NotchGeometryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/NotchIndicatorModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/NotchIndicatorRenderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/OverlayIndicatorModelTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/OverlayIndicatorRenderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Indicator/WaveformRingsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotificationCenterTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtMainQueueTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsRows/SettingsRowsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsWindowTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShellFixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBarControllerTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusItemOnTrayTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestApplication.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
