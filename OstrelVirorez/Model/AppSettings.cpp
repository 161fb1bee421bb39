#include "OstrelVirorez/Model/AppSettings.hpp"

#include "OstrelVirorez/Model/VocabularyTerms.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

namespace ostrelvirorez {

namespace {

// The appearance preset the settings window starts with ("Claude Colors");
// the design kit owns it, the store only takes its values as defaults.
struct AppearancePreset {
    const char* id;
    double baseDarkness;
    double sidebarDarknessDelta;
    const char* baseColorHex;
    std::optional<std::string> sidebarColorHex;
};

AppearancePreset claudeColorsPreset() {
    return {"claudeColors", 0.95, 0.0, "#0D0D0D", std::string("#121212")};
}

const std::string defaultCustomVocabulary =
    "AVAssetResourceLoaderDelegate, AVPlayer, SecureResourceLoader, FCPXML, PocketBase, CloudKit, Qt Quick, "
    "SQLite, CoreMediaIO, FxPlug, qt-faststart, AES-256-CTR, Cloudflare R2, Hetzner, Caddy, LiveKit, IOSurface, "
    "ProRes, LUT, Timecode, Final Cut Pro, DaVinci Resolve";

std::vector<KeyCode> listOf(const std::array<KeyCode, 1>& codes) {
    return {codes.begin(), codes.end()};
}

// The kind of value each setting reads; enumerations are stored as text.
enum class StoredKind { text, truthValue, number, integer };

struct StoredSetting {
    const char* key;
    StoredKind kind;
};

constexpr std::array storedSettings{
    StoredSetting{"selectedEngine", StoredKind::text},
    StoredSetting{"preferredLanguage", StoredKind::text},
    StoredSetting{"selectedMicrophoneUID", StoredKind::text},
    StoredSetting{"virorezKeyCodesRaw", StoredKind::text},
    StoredSetting{"claudeKeyCodesRaw", StoredKind::text},
    StoredSetting{"clipboardKeyCodesRaw", StoredKind::text},
    StoredSetting{"claudeModel", StoredKind::text},
    StoredSetting{"claudeModelMigratedToSonnet5", StoredKind::truthValue},
    StoredSetting{"soundsEnabled", StoredKind::truthValue},
    StoredSetting{"pillEnabled", StoredKind::truthValue},
    StoredSetting{"pillPosition", StoredKind::text},
    StoredSetting{"indicatorStyle", StoredKind::text},
    StoredSetting{"indicatorVisibility", StoredKind::text},
    StoredSetting{"indicatorTextFeedback", StoredKind::truthValue},
    StoredSetting{"audioDuckingEnabled", StoredKind::truthValue},
    StoredSetting{"audioDuckingLevel", StoredKind::number},
    StoredSetting{"mediaPauseEnabled", StoredKind::truthValue},
    StoredSetting{"customVocabulary", StoredKind::text},
    StoredSetting{"launchAtLogin", StoredKind::truthValue},
    StoredSetting{"onboardingCompleted", StoredKind::truthValue},
    StoredSetting{"smartCapitalization", StoredKind::truthValue},
    StoredSetting{"smartParagraphs", StoredKind::truthValue},
    StoredSetting{"spokenPunctuationEnabled", StoredKind::truthValue},
    StoredSetting{"fillerWordRemovalEnabled", StoredKind::truthValue},
    StoredSetting{"backtrackEnabled", StoredKind::truthValue},
    StoredSetting{"rewriteProvider", StoredKind::text},
    StoredSetting{"autoVocabularyLearningEnabled", StoredKind::truthValue},
    StoredSetting{"liveTranscriptEnabled", StoredKind::truthValue},
    StoredSetting{"liveTranscriptIntervalMs", StoredKind::integer},
    StoredSetting{"dictationHistoryEnabled", StoredKind::truthValue},
    StoredSetting{"correctionLearningEnabled", StoredKind::truthValue},
    StoredSetting{"windowGlassDarkness", StoredKind::number},
    StoredSetting{"ostrelAppearancePresetID", StoredKind::text},
    StoredSetting{"ostrelBaseColorHex", StoredKind::text},
    StoredSetting{"ostrelSidebarColorHex", StoredKind::text},
    StoredSetting{"ostrelSidebarDarknessDelta", StoredKind::number},
};

bool holds(const platform::DefaultsValue& value, StoredKind kind) {
    switch (kind) {
    case StoredKind::text: return value.as<std::string>() != nullptr;
    case StoredKind::truthValue: return value.as<bool>() != nullptr;
    case StoredKind::number: return value.as<double>() != nullptr;
    case StoredKind::integer: return value.as<std::int64_t>() != nullptr;
    }
    return false;
}

std::string expected(StoredKind kind) {
    switch (kind) {
    case StoredKind::text: return "not text";
    case StoredKind::truthValue: return "not a truth value";
    case StoredKind::number: return "not a floating-point number";
    case StoredKind::integer: return "not an integer";
    }
    return "not readable";
}

} // namespace

AppSettings& AppSettings::shared() {
    static AppSettings settings(platform::UserDefaults::standard());
    return settings;
}

AppSettings::AppSettings(platform::UserDefaults& defaults)
    : defaults_(defaults), profileStore_(defaults) {
    const auto preset = claudeColorsPreset();
    defaultWindowGlassDarkness_ = preset.baseDarkness;
    defaultAppearancePresetID_ = preset.id;
    defaultBaseColorHex_ = preset.baseColorHex;
    defaultSidebarColorHex_ = preset.sidebarColorHex.value_or("");
    defaultSidebarDarknessDelta_ = preset.sidebarDarknessDelta;
    keepUnreadableValues();
}

void AppSettings::keepUnreadableValues() {
    for (const auto& [key, kind] : storedSettings) {
        if (!defaults_.hasWrittenValue(key)) continue;
        const auto value = defaults_.value(key);
        if (value && holds(*value, kind)) continue;
        defaults_.keepUnreadable(key, expected(kind));
    }
}

std::string AppSettings::text(const char* key, const std::string& fallback) const {
    return defaults_.stringValue(key).value_or(fallback);
}

bool AppSettings::flag(const char* key, bool fallback) const {
    return defaults_.boolValue(key).value_or(fallback);
}

double AppSettings::number(const char* key, double fallback) const {
    return defaults_.doubleValue(key).value_or(fallback);
}

template <typename Enum>
Enum AppSettings::choice(const char* key, Enum fallback) const {
    const auto raw = defaults_.stringValue(key);
    if (!raw) return fallback;
    return fromRawValue<Enum>(*raw).value_or(fallback);
}

void AppSettings::store(const char* key, const std::string& value) {
    defaults_.set(key, platform::DefaultsValue(value));
}

void AppSettings::store(const char* key, bool value) {
    defaults_.set(key, platform::DefaultsValue(value));
}

void AppSettings::store(const char* key, double value) {
    defaults_.set(key, platform::DefaultsValue(value));
}

void AppSettings::store(const char* key, std::int64_t value) {
    defaults_.set(key, platform::DefaultsValue(value));
}

EngineType AppSettings::selectedEngine() const { return choice("selectedEngine", EngineType::parakeet); }
void AppSettings::setSelectedEngine(EngineType value) { store("selectedEngine", std::string(rawValue(value))); }

std::string AppSettings::preferredLanguage() const { return text("preferredLanguage", ""); }
void AppSettings::setPreferredLanguage(const std::string& value) { store("preferredLanguage", value); }

std::string AppSettings::selectedMicrophoneUID() const { return text("selectedMicrophoneUID", ""); }
void AppSettings::setSelectedMicrophoneUID(const std::string& value) { store("selectedMicrophoneUID", value); }

std::string AppSettings::virorezKeyCodesRaw() const { return text("virorezKeyCodesRaw", ""); }
void AppSettings::setVirorezKeyCodesRaw(const std::string& value) { store("virorezKeyCodesRaw", value); }

std::string AppSettings::claudeKeyCodesRaw() const { return text("claudeKeyCodesRaw", ""); }
void AppSettings::setClaudeKeyCodesRaw(const std::string& value) { store("claudeKeyCodesRaw", value); }

std::string AppSettings::clipboardKeyCodesRaw() const { return text("clipboardKeyCodesRaw", ""); }
void AppSettings::setClipboardKeyCodesRaw(const std::string& value) { store("clipboardKeyCodesRaw", value); }

std::string AppSettings::claudeModel() const { return text("claudeModel", "claude-sonnet-5"); }
void AppSettings::setClaudeModel(const std::string& value) { store("claudeModel", value); }

bool AppSettings::claudeModelMigratedToSonnet5() const { return flag("claudeModelMigratedToSonnet5", false); }
void AppSettings::setClaudeModelMigratedToSonnet5(bool value) { store("claudeModelMigratedToSonnet5", value); }

bool AppSettings::soundsEnabled() const { return flag("soundsEnabled", true); }
void AppSettings::setSoundsEnabled(bool value) { store("soundsEnabled", value); }

bool AppSettings::pillEnabled() const { return flag("pillEnabled", true); }
void AppSettings::setPillEnabled(bool value) { store("pillEnabled", value); }

PillPosition AppSettings::pillPosition() const { return choice("pillPosition", PillPosition::island); }
void AppSettings::setPillPosition(PillPosition value) { store("pillPosition", std::string(rawValue(value))); }

IndicatorStyle AppSettings::indicatorStyle() const { return choice("indicatorStyle", IndicatorStyle::notch); }
void AppSettings::setIndicatorStyle(IndicatorStyle value) { store("indicatorStyle", std::string(rawValue(value))); }

IndicatorVisibility AppSettings::indicatorVisibility() const {
    return choice("indicatorVisibility", IndicatorVisibility::duringActivity);
}
void AppSettings::setIndicatorVisibility(IndicatorVisibility value) {
    store("indicatorVisibility", std::string(rawValue(value)));
}

bool AppSettings::indicatorTextFeedback() const { return flag("indicatorTextFeedback", true); }
void AppSettings::setIndicatorTextFeedback(bool value) { store("indicatorTextFeedback", value); }

bool AppSettings::audioDuckingEnabled() const { return flag("audioDuckingEnabled", false); }
void AppSettings::setAudioDuckingEnabled(bool value) { store("audioDuckingEnabled", value); }

double AppSettings::audioDuckingLevel() const { return number("audioDuckingLevel", 0.2); }
void AppSettings::setAudioDuckingLevel(double value) { store("audioDuckingLevel", value); }

bool AppSettings::mediaPauseEnabled() const { return flag("mediaPauseEnabled", false); }
void AppSettings::setMediaPauseEnabled(bool value) { store("mediaPauseEnabled", value); }

std::string AppSettings::customVocabularyRaw() const { return text("customVocabulary", defaultCustomVocabulary); }
void AppSettings::setCustomVocabularyRaw(const std::string& value) { store("customVocabulary", value); }

bool AppSettings::launchAtLogin() const { return flag("launchAtLogin", false); }
void AppSettings::setLaunchAtLogin(bool value) { store("launchAtLogin", value); }

bool AppSettings::onboardingCompleted() const { return flag("onboardingCompleted", false); }
void AppSettings::setOnboardingCompleted(bool value) { store("onboardingCompleted", value); }

bool AppSettings::smartCapitalization() const { return flag("smartCapitalization", true); }
void AppSettings::setSmartCapitalization(bool value) { store("smartCapitalization", value); }

bool AppSettings::smartParagraphs() const { return flag("smartParagraphs", true); }
void AppSettings::setSmartParagraphs(bool value) { store("smartParagraphs", value); }

bool AppSettings::spokenPunctuationEnabled() const { return flag("spokenPunctuationEnabled", true); }
void AppSettings::setSpokenPunctuationEnabled(bool value) { store("spokenPunctuationEnabled", value); }

bool AppSettings::fillerWordRemovalEnabled() const { return flag("fillerWordRemovalEnabled", false); }
void AppSettings::setFillerWordRemovalEnabled(bool value) { store("fillerWordRemovalEnabled", value); }

bool AppSettings::backtrackEnabled() const { return flag("backtrackEnabled", false); }
void AppSettings::setBacktrackEnabled(bool value) { store("backtrackEnabled", value); }

RewriteProvider AppSettings::rewriteProvider() const { return choice("rewriteProvider", RewriteProvider::claude); }
void AppSettings::setRewriteProvider(RewriteProvider value) { store("rewriteProvider", std::string(rawValue(value))); }

bool AppSettings::autoVocabularyLearningEnabled() const { return flag("autoVocabularyLearningEnabled", false); }
void AppSettings::setAutoVocabularyLearningEnabled(bool value) { store("autoVocabularyLearningEnabled", value); }

bool AppSettings::liveTranscriptEnabled() const { return flag("liveTranscriptEnabled", false); }
void AppSettings::setLiveTranscriptEnabled(bool value) { store("liveTranscriptEnabled", value); }

std::int64_t AppSettings::liveTranscriptIntervalMs() const {
    return defaults_.integerValue("liveTranscriptIntervalMs").value_or(1800);
}
void AppSettings::setLiveTranscriptIntervalMs(std::int64_t value) { store("liveTranscriptIntervalMs", value); }

bool AppSettings::dictationHistoryEnabled() const { return flag("dictationHistoryEnabled", false); }
void AppSettings::setDictationHistoryEnabled(bool value) { store("dictationHistoryEnabled", value); }

bool AppSettings::correctionLearningEnabled() const { return flag("correctionLearningEnabled", false); }
void AppSettings::setCorrectionLearningEnabled(bool value) { store("correctionLearningEnabled", value); }

double AppSettings::windowGlassDarkness() const { return number("windowGlassDarkness", defaultWindowGlassDarkness_); }
void AppSettings::setWindowGlassDarkness(double value) { store("windowGlassDarkness", value); }

std::string AppSettings::ostrelAppearancePresetID() const {
    return text("ostrelAppearancePresetID", defaultAppearancePresetID_);
}
void AppSettings::setOstrelAppearancePresetID(const std::string& value) { store("ostrelAppearancePresetID", value); }

std::string AppSettings::ostrelBaseColorHex() const { return text("ostrelBaseColorHex", defaultBaseColorHex_); }
void AppSettings::setOstrelBaseColorHex(const std::string& value) { store("ostrelBaseColorHex", value); }

std::string AppSettings::ostrelSidebarColorHex() const {
    return text("ostrelSidebarColorHex", defaultSidebarColorHex_);
}
void AppSettings::setOstrelSidebarColorHex(const std::string& value) { store("ostrelSidebarColorHex", value); }

double AppSettings::ostrelSidebarDarknessDelta() const {
    return number("ostrelSidebarDarknessDelta", defaultSidebarDarknessDelta_);
}
void AppSettings::setOstrelSidebarDarknessDelta(double value) { store("ostrelSidebarDarknessDelta", value); }

std::vector<std::string> AppSettings::customVocabulary() const {
    return parseVocabularyTerms(customVocabularyRaw());
}

std::vector<KeyCode> AppSettings::codes(const std::string& raw, const std::vector<std::string>& legacyKeys,
                                        const std::vector<KeyCode>& fallback) const {
    if (!raw.empty()) return parseKeyCodeList(raw).value_or(fallback);
    std::vector<KeyCode> taken;
    for (const auto& key : legacyKeys) {
        const auto code = defaults_.integerValue(key);
        if (code && *code != 0) taken.push_back(*code);
    }
    return taken.empty() ? fallback : taken;
}

std::string AppSettings::serialize(const std::vector<KeyCode>& codes) {
    return serializeKeyCodeList(codes);
}

std::vector<KeyCode> AppSettings::virorezKeyCodes() const {
    return codes(virorezKeyCodesRaw(), {"virorezKeyCode", "virorezKeyCode2"}, listOf(defaultVirorezKeyCodes));
}
void AppSettings::setVirorezKeyCodes(const std::vector<KeyCode>& codes) { setVirorezKeyCodesRaw(serialize(codes)); }

std::vector<KeyCode> AppSettings::claudeKeyCodes() const {
    return codes(claudeKeyCodesRaw(), {"claudeKeyCode"}, listOf(defaultClaudeKeyCodes));
}
void AppSettings::setClaudeKeyCodes(const std::vector<KeyCode>& codes) { setClaudeKeyCodesRaw(serialize(codes)); }

std::vector<KeyCode> AppSettings::clipboardKeyCodes() const {
    return codes(clipboardKeyCodesRaw(), {}, listOf(defaultClipboardKeyCodes));
}
void AppSettings::setClipboardKeyCodes(const std::vector<KeyCode>& codes) {
    setClipboardKeyCodesRaw(serialize(codes));
}

const std::vector<RewritingProfile>& AppSettings::rewritingProfiles() {
    return profileStore_.rewritingProfiles();
}

void AppSettings::setRewritingProfiles(std::vector<RewritingProfile> profiles) {
    profileStore_.setRewritingProfiles(std::move(profiles));
}

} // namespace ostrelvirorez
