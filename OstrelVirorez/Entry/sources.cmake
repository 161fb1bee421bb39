# The application's outermost objects; main.cpp itself belongs to the
# executable (see OstrelVirorez/CMakeLists.txt).
target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphicalSessionGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminationSignals.cpp
)
