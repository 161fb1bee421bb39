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
        [weak = weak_from_this(), writes = writes_](Attempt<std::optional<std::string>> attempt) {
            const auto self = weak.lock();
            if (!self) return;
            self->reading_ = false;
            if (writes != self->writes_) {
                // Read before the key was written: the written key stands.
            } else if (!attempt.succeeded()) {
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

void ApiKeyStatus::store(std::string key, std::function<void(bool written)> done) {
    ++writes_;
    runOffMain<bool>(
        executor_, mainQueue_,
        [&keychain = keychain_, keyName = keyName_, key] { return KeychainHelper::save(keyName, key, keychain); },
        [weak = weak_from_this(), key, done = std::move(done)](Attempt<bool> attempt) {
            const bool written = attempt.succeeded() && attempt.value();
            const auto self = weak.lock();
            if (self && written) self->stored(key);
            if (done) done(written);
        });
}

void ApiKeyStatus::stored(std::optional<std::string> key) {
    ++writes_;
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
