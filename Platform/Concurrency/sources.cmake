platform_service(Concurrency
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SystemClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThreadSleeper.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ManualClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimerQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TaskFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoopMainQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ManualMainQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThreadPool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TaskGroup.cpp
  LINK PlatformCore Threads::Threads
)
