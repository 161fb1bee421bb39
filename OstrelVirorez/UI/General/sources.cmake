# The General tab of the settings window: its eight cards, their models and
# the autostart entry behind "Launch at Login".
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppearanceModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppearanceSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioSectionModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutostartEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineStatusView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotkeyTapStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IndicatorSectionModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinuxKeyNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicrophoneModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicrophoneSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmartFormattingModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmartFormattingSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechEngineModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeechEngineSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemSectionModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WholePercent.cpp
)
