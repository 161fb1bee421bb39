target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CaseMappingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CharactersTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateFormatTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NormalizationTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegexTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringSearchTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnicodePropertiesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Utf8Tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhitespaceTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC PlatformText)
