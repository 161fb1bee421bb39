# The text form of programs.
list(APPEND COREML_SOURCES)
