#include "Platform/Keychain/SystemKeychain.hpp"

#include "Platform/Core/Logger.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Keychain/FileKeychain.hpp"

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
#include "Platform/Keychain/SecretServiceKeychain.hpp"
#endif

namespace platform {

std::unique_ptr<Keychain> makeSystemKeychain(const std::string& applicationFolder) {
    const Logger log("platform", "Keychain");
#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
    if (SecretServiceKeychain::isAvailable()) {
        log.info("Keychain: using the Secret Service");
        return std::make_unique<SecretServiceKeychain>();
    }
#endif
    auto file = files::dataHome() / applicationFolder / "keychain.json";
    log.info("Keychain: no Secret Service answers, using " + file.string());
    return std::make_unique<FileKeychain>(std::move(file));
}

Keychain& Keychain::standard() {
    static const std::unique_ptr<Keychain> keychain = makeSystemKeychain("OstrelVirorez");
    return *keychain;
}

} // namespace platform
