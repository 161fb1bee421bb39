#pragma once
// The state and rules of the rewriting tab's settings section: the API-key
// field with its reveal and save buttons and the key's status, the hosted
// model, backtrack, and the rewriting provider with its note. The settings
// controls write through at once; the key reaches the keychain only by save().

#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Core/Signal.hpp"

#include <QColor>

#include <optional>
#include <string>
#include <vector>

namespace platform {
class Keychain;
}

namespace ostrelvirorez {

class ApiKeyStatus;
class AppSettings;
class SystemLanguageModel;

class ApiCompactSectionModel {
public:
    struct ModelOption {
        std::string label;
        std::string modelID;
    };
    struct ProviderOption {
        RewriteProvider provider;
        std::string label;
    };

    static const std::vector<ModelOption>& modelOptions();
    static const std::vector<ProviderOption>& providerOptions();
    static const std::string& keyPlaceholder();
    static const std::string& saveFailedMessage();
    static const std::string& localAvailableNote();
    static const std::string& localUnavailableNote();

    // With `keyStatus` the key is read through it, never waiting for the
    // keychain; without it, from the keychain directly.
    ApiCompactSectionModel(AppSettings& settings, platform::Keychain& keychain, std::string keychainKey,
                           const SystemLanguageModel& onDeviceModel, ApiKeyStatus* keyStatus = nullptr);

    // Loads the stored key into the field (empty when there is none).
    void appear();

    const std::string& apiKey() const { return apiKey_; }
    void setApiKey(std::string text);
    bool showKey() const { return showKey_; }
    void toggleShowKey();
    std::string revealSymbol() const { return showKey_ ? "eye.slash" : "eye"; }

    // Read from the keychain (or the key status) at each call, not from the
    // field; a status that has not answered yet reads as no key, and its
    // colour is neutral.
    bool hasStoredKey() const;
    QColor keyStatusColor() const;
    // A key is saved without surrounding blanks and line breaks; a field of
    // nothing else cannot be saved.
    bool canSave() const;
    QColor saveSymbolColor() const;
    // Stores the trimmed key and shows it in the field; on failure the field
    // keeps its text and saveError() names the failure until the next save.
    bool save();
    const std::optional<std::string>& saveError() const { return saveError_; }

    std::string claudeModel() const;
    void setClaudeModel(const std::string& modelID);
    bool backtrackEnabled() const;
    void setBacktrackEnabled(bool enabled);

    RewriteProvider rewriteProvider() const;
    // The on-device provider is refused while its model is unavailable.
    void setRewriteProvider(RewriteProvider provider);
    bool isOnDeviceAvailable() const;
    // Open while the on-device model is available, and also while it is not
    // but still stored, so that the hosted provider can be chosen again.
    bool providerPickerEnabled() const;
    bool providerSelectable(RewriteProvider provider) const;
    const std::string& providerNote() const;

    // Fires after every change this model makes.
    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    platform::Keychain& keychain_;
    std::string keychainKey_;
    const SystemLanguageModel& onDeviceModel_;
    ApiKeyStatus* keyStatus_;
    platform::Connection keyStatusWatch_;
    std::string apiKey_;
    bool showKey_ = false;
    std::optional<std::string> saveError_;
    platform::Signal<> changed_;
};

} // namespace ostrelvirorez
