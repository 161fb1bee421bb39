target_sources(${TEST_TARGET} PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SymbolImageTests.cpp
)
target_link_libraries(${TEST_TARGET} PUBLIC OstrelDesignKit)
