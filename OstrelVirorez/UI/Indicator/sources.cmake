# The dictation indicator: screens, notch geometry and outline, placement, the
# per-state looks of its views, the waveform rings, the glow border and the
# animations that move them, and the window mask that stands in for
# translucency where nothing composites.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FrameTicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlowBorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorAnimations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorPlacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorWindowMask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MinimalIndicatorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MinimalIndicatorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotchGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotchIndicatorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotchIndicatorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotchShape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OverlayIndicatorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OverlayIndicatorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenDescription.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TargetIconImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Tween.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WaveformRings.cpp
)
