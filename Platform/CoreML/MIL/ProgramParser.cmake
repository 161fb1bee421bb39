# The text form of programs.
list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ProgramLexer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiteralReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ValueParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramParser.cpp
)
