#pragma once
// Whether the hosted rewriter's API key is stored, and the key, read from the
// keychain off the main queue: a Secret Service that stops answering must
// not freeze the window. Reads as unknown until an answer arrives, and after
// a failed read; a refresh asked for while a read is out follows once that
// read has answered. Confined to the main queue.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "Platform/Core/Signal.hpp"

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
    // answer, without asking the keychain.
    void stored(std::optional<std::string> key);

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
    platform::Signal<> changed_;
};

} // namespace ostrelvirorez
