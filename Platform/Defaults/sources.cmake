platform_service(Defaults
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Base64.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DefaultsCoding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DefaultsStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DefaultsValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UserDefaults.cpp
  LINK PlatformFiles PlatformCore nlohmann_json::nlohmann_json
)
