target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SymbolImageTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelDesignKit QtTestSupport)
# The symbol test reads the names the views use from their sources.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/SymbolImageTests.cpp PROPERTIES
  COMPILE_DEFINITIONS "OSTREL_SOURCE_DIR=\"${PROJECT_SOURCE_DIR}\"")
