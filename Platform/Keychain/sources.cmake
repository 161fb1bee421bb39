set(PLATFORM_KEYCHAIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FileKeychain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemKeychain.cpp
)
set(PLATFORM_KEYCHAIN_LINK PlatformFiles PlatformCore nlohmann_json::nlohmann_json)
if(TARGET PkgConfig::LIBSECRET)
  list(APPEND PLATFORM_KEYCHAIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/SecretServiceKeychain.cpp)
  list(APPEND PLATFORM_KEYCHAIN_LINK PkgConfig::LIBSECRET)
endif()

platform_service(Keychain SOURCES ${PLATFORM_KEYCHAIN_SOURCES} LINK ${PLATFORM_KEYCHAIN_LINK})

if(TARGET PkgConfig::LIBSECRET)
  target_compile_definitions(PlatformKeychain PUBLIC PLATFORM_KEYCHAIN_HAS_LIBSECRET)
endif()
