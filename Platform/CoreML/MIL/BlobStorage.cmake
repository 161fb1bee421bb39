# Weight files.
list(APPEND COREML_SOURCES)
