#include "OstrelVirorez/UI/General/SpeechEngineModel.hpp"

#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Engines/SupportedLanguages.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/EngineAvailability.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <utility>

namespace ostrelvirorez {
namespace {

template <typename Value>
std::optional<std::size_t> indexOf(const std::vector<general::SettingChoice<Value>>& choices, const Value& value) {
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const auto& c) { return c.value == value; });
    if (found == choices.end()) return std::nullopt;
    return static_cast<std::size_t>(found - choices.begin());
}

} // namespace

SpeechEngineModel::SpeechEngineModel(AppSettings& settings, EngineManager& engines,
                                     std::function<void()> loadSelectedEngine)
    : settings_(settings),
      engines_(engines),
      loadSelectedEngine_(std::move(loadSelectedEngine)),
      shownEngine_(settings.selectedEngine()) {
    settingsWatch_ =
        settings_.userDefaults().changed().connect([this](const std::string& key) { settingChanged(key); });
    statusWatch_ = engines_.statusChanged().connect([this](const EngineStatus&) { changed_.emit(); });
}

const std::vector<general::SettingChoice<EngineType>>& SpeechEngineModel::engineChoices() {
    static const std::vector<general::SettingChoice<EngineType>> choices{
        {EngineType::parakeet, "Parakeet TDT v3"},
        {EngineType::hushframe, "Hushframe (Large v3 Turbo)"},
        {EngineType::appleSpeech, "Apple SpeechAnalyzer"},
        {EngineType::nemotron, "Nemotron 3.5 (Streaming)"},
    };
    return choices;
}

const std::vector<general::SettingChoice<std::string>>& SpeechEngineModel::languageChoices() {
    static const std::vector<general::SettingChoice<std::string>> choices = [] {
        std::vector<general::SettingChoice<std::string>> list{{"", "Automatisch erkennen"}};
        for (const auto& entry : SupportedLanguages::all) list.push_back({entry.code, entry.displayName});
        return list;
    }();
    return choices;
}

SpeechEngineModel::StatusLine SpeechEngineModel::statusLine(const EngineStatus& status) {
    using Kind = EngineStatus::Kind;
    switch (status.kind()) {
    case Kind::idle: return {StatusLine::Look::notLoaded, "Not loaded"};
    case Kind::downloading: return {StatusLine::Look::busy, "Downloading..."};
    case Kind::loading: return {StatusLine::Look::busy, "Loading..."};
    case Kind::ready: return {StatusLine::Look::ready, "Ready"};
    case Kind::error: return {StatusLine::Look::failed, status.message()};
    }
    return {};
}

std::optional<std::string> SpeechEngineModel::unavailableReason(EngineType engine) {
    return engineUnavailableReason(engine);
}

std::string SpeechEngineModel::unavailableLabel(const std::string& label) { return label + " (nicht verfügbar)"; }

std::optional<std::size_t> SpeechEngineModel::selectedEngineIndex() const {
    return indexOf(engineChoices(), settings_.selectedEngine());
}

std::optional<std::size_t> SpeechEngineModel::selectedLanguageIndex() const {
    return indexOf(languageChoices(), settings_.preferredLanguage());
}

void SpeechEngineModel::chooseEngine(EngineType engine) {
    if (unavailableReason(engine)) return;
    if (settings_.selectedEngine() != engine) settings_.setSelectedEngine(engine);
}

void SpeechEngineModel::chooseLanguage(const std::string& code) {
    if (settings_.preferredLanguage() != code) settings_.setPreferredLanguage(code);
}

SpeechEngineModel::LanguageHint SpeechEngineModel::languageHint() const {
    const bool automatic = settings_.preferredLanguage().empty();
    if (settings_.selectedEngine() == EngineType::nemotron && !automatic) {
        return {HintKind::nemotronIgnoresLanguage,
                "Hinweis: Nemotron 3.5 nimmt den Sprach-Hint aktuell nicht entgegen (RazeziRuzer 0.14.6). "
                "Bei Mix-Sprach-Problemen Parakeet wählen."};
    }
    if (automatic) {
        return {HintKind::multilingualGuess,
                "Multilinguale Engines erraten sonst gerne mehrere Sprachen gleichzeitig. Eine feste Sprache "
                "liefert deutlich konsistentere Transkriptionen."};
    }
    return {};
}

SpeechEngineModel::StatusLine SpeechEngineModel::status() const { return statusLine(engines_.status()); }

void SpeechEngineModel::settingChanged(const std::string& key) {
    if (key == "selectedEngine") {
        const EngineType stored = settings_.selectedEngine();
        if (stored != shownEngine_) {
            shownEngine_ = stored;
            if (loadSelectedEngine_) loadSelectedEngine_();
        }
    }
    if (key == "selectedEngine" || key == "preferredLanguage") changed_.emit();
}

} // namespace ostrelvirorez
