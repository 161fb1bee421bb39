#include "OstrelVirorez/Services/ApiKeyStatus.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <utility>

namespace ostrelvirorez {

std::shared_ptr<ApiKeyStatus> ApiKeyStatus::make(platform::Keychain& keychain, std::string keyName,
                                                 platform::MainQueue& mainQueue, Executor executor) {
    return std::make_shared<ApiKeyStatus>(keychain, std::move(keyName), mainQueue, std::move(executor), PassKey{});
}

ApiKeyStatus::ApiKeyStatus(platform::Keychain& keychain, std::string keyName, platform::MainQueue& mainQueue,
                           Executor executor, PassKey)
    : keychain_(keychain), keyName_(std::move(keyName)), mainQueue_(mainQueue), executor_(std::move(executor)) {}

void ApiKeyStatus::refresh() {
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    runOffMain<std::optional<std::string>>(
        executor_, mainQueue_,
        [&keychain = keychain_, keyName = keyName_] { return keychain.password(KeychainHelper::service, keyName); },
        [weak = weak_from_this()](Attempt<std::optional<std::string>> attempt) {
            const auto self = weak.lock();
            if (!self) return;
            self->reading_ = false;
            if (!attempt.succeeded()) {
                virorezLogger().warning("API key status: the keychain cannot be read: " +
                                        describeError(attempt.error()));
                self->answer(Presence::unknown, std::nullopt);
            } else {
                auto& key = attempt.value();
                const bool present = key && !key->empty();
                self->answer(present ? Presence::configured : Presence::missing, present ? std::move(key) : std::nullopt);
            }
            if (std::exchange(self->readAgain_, false)) self->refresh();
        });
}

void ApiKeyStatus::stored(std::optional<std::string> key) {
    const bool present = key && !key->empty();
    answer(present ? Presence::configured : Presence::missing, present ? std::move(key) : std::nullopt);
}

void ApiKeyStatus::answer(Presence presence, std::optional<std::string> key) {
    if (presence == presence_ && key == key_) return;
    presence_ = presence;
    key_ = std::move(key);
    changed_.emit();
}

} // namespace ostrelvirorez
