#pragma once
// The one store of user preferences. Every setting is a typed property over
// one user-defaults key, read at the moment of use with its default standing
// in while the key holds no usable value; only the rewriting-profile list is
// kept in memory. Confined to the main queue.

#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"
#include "OstrelVirorez/Model/HotkeyCodeList.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Core/Signal.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

class AppSettings {
public:
    // The application's store over the standard user defaults, made on first use.
    static AppSettings& shared();

    // A store over any defaults domain; the application itself uses shared().
    // A setting written with a value of another kind reads as its default and
    // would be lost at its next write, so such values are kept aside at once
    // (see platform::UserDefaults::keepUnreadable).
    explicit AppSettings(platform::UserDefaults& defaults);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    static constexpr std::array<KeyCode, 1> defaultVirorezKeyCodes{54};   // right Command
    static constexpr std::array<KeyCode, 1> defaultClaudeKeyCodes{61};    // right Option
    static constexpr std::array<KeyCode, 1> defaultClipboardKeyCodes{62}; // right Control

    EngineType selectedEngine() const;
    void setSelectedEngine(EngineType value);
    std::string preferredLanguage() const;
    void setPreferredLanguage(const std::string& value);
    std::string selectedMicrophoneUID() const;
    void setSelectedMicrophoneUID(const std::string& value);
    std::string virorezKeyCodesRaw() const;
    void setVirorezKeyCodesRaw(const std::string& value);
    std::string claudeKeyCodesRaw() const;
    void setClaudeKeyCodesRaw(const std::string& value);
    std::string clipboardKeyCodesRaw() const;
    void setClipboardKeyCodesRaw(const std::string& value);
    std::string claudeModel() const;
    void setClaudeModel(const std::string& value);
    bool claudeModelMigratedToSonnet5() const;
    void setClaudeModelMigratedToSonnet5(bool value);
    bool soundsEnabled() const;
    void setSoundsEnabled(bool value);
    bool pillEnabled() const;
    void setPillEnabled(bool value);
    PillPosition pillPosition() const;
    void setPillPosition(PillPosition value);
    IndicatorStyle indicatorStyle() const;
    void setIndicatorStyle(IndicatorStyle value);
    IndicatorVisibility indicatorVisibility() const;
    void setIndicatorVisibility(IndicatorVisibility value);
    bool indicatorTextFeedback() const;
    void setIndicatorTextFeedback(bool value);
    bool audioDuckingEnabled() const;
    void setAudioDuckingEnabled(bool value);
    double audioDuckingLevel() const;
    void setAudioDuckingLevel(double value);
    bool mediaPauseEnabled() const;
    void setMediaPauseEnabled(bool value);
    // Stored under "customVocabulary".
    std::string customVocabularyRaw() const;
    void setCustomVocabularyRaw(const std::string& value);
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool value);
    bool onboardingCompleted() const;
    void setOnboardingCompleted(bool value);
    bool smartCapitalization() const;
    void setSmartCapitalization(bool value);
    bool smartParagraphs() const;
    void setSmartParagraphs(bool value);
    bool spokenPunctuationEnabled() const;
    void setSpokenPunctuationEnabled(bool value);
    bool fillerWordRemovalEnabled() const;
    void setFillerWordRemovalEnabled(bool value);
    bool backtrackEnabled() const;
    void setBacktrackEnabled(bool value);
    RewriteProvider rewriteProvider() const;
    void setRewriteProvider(RewriteProvider value);
    bool autoVocabularyLearningEnabled() const;
    void setAutoVocabularyLearningEnabled(bool value);
    bool liveTranscriptEnabled() const;
    void setLiveTranscriptEnabled(bool value);
    std::int64_t liveTranscriptIntervalMs() const;
    void setLiveTranscriptIntervalMs(std::int64_t value);
    bool dictationHistoryEnabled() const;
    void setDictationHistoryEnabled(bool value);
    bool correctionLearningEnabled() const;
    void setCorrectionLearningEnabled(bool value);
    double windowGlassDarkness() const;
    void setWindowGlassDarkness(double value);
    std::string ostrelAppearancePresetID() const;
    void setOstrelAppearancePresetID(const std::string& value);
    std::string ostrelBaseColorHex() const;
    void setOstrelBaseColorHex(const std::string& value);
    std::string ostrelSidebarColorHex() const;
    void setOstrelSidebarColorHex(const std::string& value);
    double ostrelSidebarDarknessDelta() const;
    void setOstrelSidebarDarknessDelta(double value);

    // The comma-separated terms of customVocabularyRaw, trimmed, empty ones
    // dropped, in order, duplicates kept.
    std::vector<std::string> customVocabulary() const;

    // The hotkey lists; an empty stored text reads as the older single-key
    // settings or the default list, "none" as no key.
    std::vector<KeyCode> virorezKeyCodes() const;
    void setVirorezKeyCodes(const std::vector<KeyCode>& codes);
    std::vector<KeyCode> claudeKeyCodes() const;
    void setClaudeKeyCodes(const std::vector<KeyCode>& codes);
    std::vector<KeyCode> clipboardKeyCodes() const;
    void setClipboardKeyCodes(const std::vector<KeyCode>& codes);

    // The rewriting profiles, kept in memory after the first read; writing
    // the list announces a change through objectWillChange().
    const std::vector<RewritingProfile>& rewritingProfiles();
    void setRewritingProfiles(std::vector<RewritingProfile> profiles);
    RewritingProfileStore& rewritingProfileStore() { return profileStore_; }

    // Fires when the rewriting-profile list is replaced; writing a setting
    // does not fire it (watch the user defaults' change signal for those).
    platform::Signal<>& objectWillChange() { return profileStore_.willChange(); }

    // Fills empty hotkey list texts from the older keys or the defaults.
    void migrateHotkeysIfNeeded();
    // Once per installation, replaces the retired model "claude-sonnet-4-6".
    void migrateClaudeModelIfNeeded();

    platform::UserDefaults& userDefaults() const { return defaults_; }

private:
    void keepUnreadableValues();
    std::vector<KeyCode> codes(const std::string& raw, const std::vector<std::string>& legacyKeys,
                               const std::vector<KeyCode>& fallback) const;
    static std::string serialize(const std::vector<KeyCode>& codes);

    std::string text(const char* key, const std::string& fallback) const;
    bool flag(const char* key, bool fallback) const;
    double number(const char* key, double fallback) const;
    template <typename Enum>
    Enum choice(const char* key, Enum fallback) const;
    void store(const char* key, const std::string& value);
    void store(const char* key, bool value);
    void store(const char* key, double value);
    void store(const char* key, std::int64_t value);

    platform::UserDefaults& defaults_;
    // Defaults of the appearance settings, taken from the design kit's
    // preset when the store is made.
    double defaultWindowGlassDarkness_;
    std::string defaultAppearancePresetID_;
    std::string defaultBaseColorHex_;
    std::string defaultSidebarColorHex_;
    double defaultSidebarDarknessDelta_;
    // Holds rewritingProfilesCache, the memory copy of the profile list.
    RewritingProfileStore profileStore_;
};

} // namespace ostrelvirorez
