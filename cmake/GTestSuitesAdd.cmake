# Run after a GoogleTest executable is linked: writes CTEST_FILE with one test
# per suite the executable lists, each running only that suite's cases.
# Inputs: TEST_EXECUTABLE, TEST_EMULATOR, TEST_WORKING_DIRECTORY,
# TEST_ENVIRONMENT ("NAME=value" list), CTEST_FILE, DISCOVERY_TIMEOUT.
execute_process(
  COMMAND ${TEST_EMULATOR} "${TEST_EXECUTABLE}" --gtest_list_tests
  WORKING_DIRECTORY "${TEST_WORKING_DIRECTORY}"
  TIMEOUT ${DISCOVERY_TIMEOUT}
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${CTEST_FILE}")
  message(FATAL_ERROR "${TEST_EXECUTABLE} --gtest_list_tests failed (${result}):\n${listing}\n${errors}")
endif()

# A suite's line is its name and a dot, perhaps followed by a comment naming
# its type parameter; case lines are indented.
string(REGEX MATCHALL "(^|\n)[A-Za-z_][A-Za-z0-9_/]*\\." suites "${listing}")
set(content "")
set(environment "")
foreach(entry IN LISTS TEST_ENVIRONMENT)
  string(APPEND environment " [==[${entry}]==]")
endforeach()
foreach(suite IN LISTS suites)
  string(STRIP "${suite}" suite)
  string(REGEX REPLACE "\\.$" "" suite "${suite}")
  string(APPEND content
    "add_test([=[${suite}]=] ${TEST_EMULATOR} [==[${TEST_EXECUTABLE}]==] [==[--gtest_filter=${suite}.*]==])\n"
    "set_tests_properties([=[${suite}]=] PROPERTIES WORKING_DIRECTORY [==[${TEST_WORKING_DIRECTORY}]==]")
  if(environment)
    string(APPEND content " ENVIRONMENT${environment}")
  endif()
  string(APPEND content ")\n")
endforeach()
file(WRITE "${CTEST_FILE}" "${content}")
