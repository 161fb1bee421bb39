# Render comparison for the test executables that draw with Qt: a folder's
# sources.cmake links QtTestSupport to use tests/Support/Qt/ReferenceImage.hpp.
if(NOT TARGET Qt6::Gui)
  return()
endif()
add_library(QtTestSupport STATIC ${CMAKE_CURRENT_LIST_DIR}/ReferenceImage.cpp)
target_include_directories(QtTestSupport PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(QtTestSupport PUBLIC Qt6::Gui GTest::gtest)
# Only this file sees the checkout's location, so the other objects stay shareable in the compiler cache.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ReferenceImage.cpp PROPERTIES
  COMPILE_DEFINITIONS "OSTREL_TESTS_SOURCE_DIR=\"${PROJECT_SOURCE_DIR}/tests\"")
