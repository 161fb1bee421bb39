target_sources(PelluxCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConcurrencyUtilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EarlyStopActor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FoundationExtensions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Logging.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLComputeUnitsNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLModelExtensions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MLMultiArrayExtensions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelUtilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProcessInfo.cpp
)
