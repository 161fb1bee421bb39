# CTest runs each GoogleTest suite of an executable as one test: one process
# per suite instead of one per test case, so the executable's start (loading,
# relocation, static set-up) is paid a few hundred times, not thousands. The
# suites are listed after each link, as gtest_discover_tests lists cases.
set(OSTREL_GTEST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/GTestSuitesAdd.cmake)

function(ostrel_discover_test_suites target)
  cmake_parse_arguments(ARG "" "DISCOVERY_TIMEOUT" "ENVIRONMENT" ${ARGN})
  if(NOT ARG_DISCOVERY_TIMEOUT)
    set(ARG_DISCOVERY_TIMEOUT 60)
  endif()
  set(ctest_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake")
  get_property(emulator TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR)
  add_custom_command(TARGET ${target} POST_BUILD
    BYPRODUCTS "${ctest_file}"
    COMMAND "${CMAKE_COMMAND}"
            -D "TEST_EXECUTABLE=$<TARGET_FILE:${target}>"
            -D "TEST_EMULATOR=${emulator}"
            -D "TEST_WORKING_DIRECTORY=${CMAKE_CURRENT_BINARY_DIR}"
            -D "TEST_ENVIRONMENT=${ARG_ENVIRONMENT}"
            -D "CTEST_FILE=${ctest_file}"
            -D "DISCOVERY_TIMEOUT=${ARG_DISCOVERY_TIMEOUT}"
            -P "${OSTREL_GTEST_SUITES_SCRIPT}"
    VERBATIM)
  file(WRITE "${include_file}"
    "if(EXISTS \"${ctest_file}\")\n"
    "  include(\"${ctest_file}\")\n"
    "else()\n"
    "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
