target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppDelegateTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationProcessTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminationSignalsTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelVirorezCore)
# The process tests start the program itself.
add_dependencies(${TEST_TARGET} OstrelVirorez)
target_compile_definitions(${TEST_TARGET} PRIVATE OSTREL_VIROREZ_PROGRAM="$<TARGET_FILE:OstrelVirorez>")
