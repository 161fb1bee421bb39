platform_service(Text
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CaseMapping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Characters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphemeIterator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IcuString.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Normalization.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Regex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StringSearch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UnicodeProperties.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Utf8.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Whitespace.cpp
  LINK PlatformCore ICU::uc ICU::i18n ICU::data
)
