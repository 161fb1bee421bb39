#pragma once
// Whether the hosted rewriter's API key is stored, and the key, read from and
// written to the keychain off the main queue: a Secret Service that stops
// answering must not freeze the window or a key press. Reads as unknown until
// an answer arrives, and after a failed read; a refresh asked for while a read
// is out follows once that read has answered. Confined to the main queue.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class Keychain;
class MainQueue;
} // namespace platform

namespace ostrelvirorez {

class ApiKeyStatus : public std::enable_shared_from_this<ApiKeyStatus> {
public:
    enum class Presence { unknown, missing, configured };

    // The keychain must outlive every read the status starts.
    static std::shared_ptr<ApiKeyStatus> make(platform::Keychain& keychain, std::string keyName,
                                              platform::MainQueue& mainQueue, Executor executor);

    Presence presence() const { return presence_; }
    // The stored key while the presence is configured.
    const std::optional<std::string>& key() const { return key_; }

    // Reads the keychain again, off the main queue.
    void refresh();
    // Takes a value this program has just stored (nullopt: removed) as the
    // answer, without asking the keychain; a read that was out meanwhile is
    // not taken over it.
    void stored(std::optional<std::string> key);
    // Writes `key` to the keychain off the main queue and takes it as the
    // answer once written; `done` learns on the main queue whether it was.
    // A read that was out meanwhile is not taken over the written key.
    void store(std::string key, std::function<void(bool written)> done = {});

    // Fires on the main queue whenever the presence or the key changed.
    platform::Signal<>& changed() { return changed_; }

private:
    struct PassKey {};

public:
    ApiKeyStatus(platform::Keychain& keychain, std::string keyName, platform::MainQueue& mainQueue, Executor executor,
                 PassKey);

private:
    void answer(Presence presence, std::optional<std::string> key);

    platform::Keychain& keychain_;
    std::string keyName_;
    platform::MainQueue& mainQueue_;
    Executor executor_;
    Presence presence_ = Presence::unknown;
    std::optional<std::string> key_;
    bool reading_ = false;
    bool readAgain_ = false;
    // Counts the writes this status made; a read's answer from before the
    // latest write is stale.
    std::uint64_t writes_ = 0;
    platform::Signal<> changed_;
};

} // namespace ostrelvirorez
