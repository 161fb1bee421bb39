# The application state, the dictation control, the hotkey wiring, the live
# preview and the recording pipeline, with the interfaces of their collaborators.
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../AppRewritingSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../AppState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../AppStateDictation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../AppStateHotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../AppStateLiveTranscript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../BackgroundWork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../DesktopServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../EngineDisplayName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../EngineTranscriber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../GrantedPermissions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../RecordingPipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../SettingsBoundRewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../SettingsFileWatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../StatusItemSymbol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../SystemClipboard.cpp
)
target_link_libraries(OstrelVirorezCore PUBLIC Qt6::Gui)
