#include "OstrelVirorez/UI/Rewriting/ApiCompactSectionModel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Services/ApiKeyStatus.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "Platform/Text/Whitespace.hpp"

namespace ostrelvirorez {

const std::vector<ApiCompactSectionModel::ModelOption>& ApiCompactSectionModel::modelOptions() {
    static const std::vector<ModelOption> options{
        {"Sonnet 5 (empfohlen)", "claude-sonnet-5"},
        {"Sonnet 4.6", "claude-sonnet-4-6"},
        {"Sonnet 4.5", "claude-sonnet-4-5-20250929"},
        {"Haiku 4.5", "claude-haiku-4-5-20251001"},
    };
    return options;
}

const std::vector<ApiCompactSectionModel::ProviderOption>& ApiCompactSectionModel::providerOptions() {
    static const std::vector<ProviderOption> options{
        {RewriteProvider::claude, "Claude (Cloud)"},
        {RewriteProvider::local, "Lokal (Apple Intelligence)"},
    };
    return options;
}

const std::string& ApiCompactSectionModel::keyPlaceholder() {
    static const std::string text = "sk-ant-...";
    return text;
}

const std::string& ApiCompactSectionModel::saveFailedMessage() {
    static const std::string text = "API-Key konnte nicht im Schlüsselbund gespeichert werden.";
    return text;
}

const std::string& ApiCompactSectionModel::localAvailableNote() {
    static const std::string text =
        "„Lokal“ läuft komplett auf dem Gerät, ohne Cloud/API-Key — nutzt dasselbe Profil-Prompt wie Claude. "
        "Experimentell: bei sehr kurzen oder frage-/befehlsartigen Diktaten ("
        "\"ja\", \"stopp\", \"kannst du...\""
        ") antwortet das Apple-Modell manchmal wie ein Chatbot statt nur den Text zu bereinigen — bei Zweifel "
        "Claude nutzen.";
    return text;
}

const std::string& ApiCompactSectionModel::localUnavailableNote() {
    static const std::string text =
        "„Lokal“ braucht ein Sprachmodell auf dem Gerät, das es unter Linux nicht gibt — auf diesem Rechner nicht "
        "verfügbar.";
    return text;
}

ApiCompactSectionModel::ApiCompactSectionModel(AppSettings& settings, platform::Keychain& keychain,
                                               std::string keychainKey, const SystemLanguageModel& onDeviceModel,
                                               ApiKeyStatus* keyStatus)
    : settings_(settings), keychain_(keychain), keychainKey_(std::move(keychainKey)), onDeviceModel_(onDeviceModel),
      keyStatus_(keyStatus) {
    if (!keyStatus_) return;
    keyStatusWatch_ = keyStatus_->changed().connect([this] {
        if (apiKey_.empty() && keyStatus_->key()) apiKey_ = *keyStatus_->key();
        changed_.emit();
    });
}

void ApiCompactSectionModel::appear() {
    if (keyStatus_) {
        apiKey_ = keyStatus_->key().value_or("");
        keyStatus_->refresh();
    } else {
        apiKey_ = KeychainHelper::load(keychainKey_, keychain_).value_or("");
    }
    changed_.emit();
}

void ApiCompactSectionModel::setApiKey(std::string text) {
    if (text == apiKey_) return;
    apiKey_ = std::move(text);
    changed_.emit();
}

void ApiCompactSectionModel::toggleShowKey() {
    showKey_ = !showKey_;
    changed_.emit();
}

bool ApiCompactSectionModel::hasStoredKey() const {
    if (keyStatus_) return keyStatus_->presence() == ApiKeyStatus::Presence::configured;
    const auto stored = KeychainHelper::load(keychainKey_, keychain_);
    return stored && !stored->empty();
}

QColor ApiCompactSectionModel::keyStatusColor() const {
    if (keyStatus_ && keyStatus_->presence() == ApiKeyStatus::Presence::unknown) {
        return ostreldesignkit::Color::ostrelTextSecondary();
    }
    return hasStoredKey() ? VirorezColors::success() : VirorezColors::warning();
}

bool ApiCompactSectionModel::canSave() const {
    return !platform::text::trimWhitespaceAndNewlines(apiKey_).empty();
}

QColor ApiCompactSectionModel::saveSymbolColor() const {
    return canSave() ? VirorezColors::success() : ostreldesignkit::Color::ostrelTextSecondary();
}

bool ApiCompactSectionModel::save() {
    if (!canSave()) return false;
    const auto key = platform::text::trimWhitespaceAndNewlines(apiKey_);
    const bool saved = KeychainHelper::save(keychainKey_, key, keychain_);
    if (saved) {
        apiKey_ = key;
        saveError_.reset();
        if (keyStatus_) keyStatus_->stored(key);
    } else {
        saveError_ = saveFailedMessage();
    }
    changed_.emit();
    return saved;
}

std::string ApiCompactSectionModel::claudeModel() const { return settings_.claudeModel(); }

void ApiCompactSectionModel::setClaudeModel(const std::string& modelID) {
    settings_.setClaudeModel(modelID);
    changed_.emit();
}

bool ApiCompactSectionModel::backtrackEnabled() const { return settings_.backtrackEnabled(); }

void ApiCompactSectionModel::setBacktrackEnabled(bool enabled) {
    settings_.setBacktrackEnabled(enabled);
    changed_.emit();
}

RewriteProvider ApiCompactSectionModel::rewriteProvider() const { return settings_.rewriteProvider(); }

void ApiCompactSectionModel::setRewriteProvider(RewriteProvider provider) {
    if (!providerSelectable(provider) || provider == rewriteProvider()) return;
    settings_.setRewriteProvider(provider);
    changed_.emit();
}

bool ApiCompactSectionModel::isOnDeviceAvailable() const { return onDeviceModel_.isAvailable(); }

bool ApiCompactSectionModel::providerPickerEnabled() const {
    return isOnDeviceAvailable() || rewriteProvider() == RewriteProvider::local;
}

bool ApiCompactSectionModel::providerSelectable(RewriteProvider provider) const {
    return provider != RewriteProvider::local || isOnDeviceAvailable();
}

const std::string& ApiCompactSectionModel::providerNote() const {
    return isOnDeviceAvailable() ? localAvailableNote() : localUnavailableNote();
}

} // namespace ostrelvirorez
