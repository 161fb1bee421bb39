target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ClipboardOwner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DictationEndToEndTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PasteTargetWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WakingMainQueue.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
