#pragma once
// The state of the "Speech Engine" card: the engine and language pickers, the
// hint below the language picker and the engine status line. A change of the
// stored engine while the card exists starts one load of the selected engine;
// building the card or choosing the engine already stored starts none. An
// engine that cannot run on this computer is offered marked as such and
// cannot be chosen.

#include "OstrelVirorez/Engines/EngineStatus.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/UI/General/SettingChoice.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;
class EngineManager;

class SpeechEngineModel {
public:
    enum class HintKind { none, nemotronIgnoresLanguage, multilingualGuess };
    struct LanguageHint {
        HintKind kind = HintKind::none;
        std::string text;
    };
    // What the status row shows for the engine manager's status.
    struct StatusLine {
        enum class Look { notLoaded, busy, ready, failed };
        Look look = Look::notLoaded;
        std::string text;
    };

    // `loadSelectedEngine` starts the load of the stored engine and returns at once.
    SpeechEngineModel(AppSettings& settings, EngineManager& engines, std::function<void()> loadSelectedEngine);

    static const std::vector<general::SettingChoice<EngineType>>& engineChoices();
    // "Automatisch erkennen" (the empty code) first, then every supported language.
    static const std::vector<general::SettingChoice<std::string>>& languageChoices();
    static StatusLine statusLine(const EngineStatus& status);
    // Why the engine cannot run here; absent when it can.
    static std::optional<std::string> unavailableReason(EngineType engine);
    // The picker's label of an engine that cannot run here.
    static std::string unavailableLabel(const std::string& label);

    std::optional<std::size_t> selectedEngineIndex() const;
    // Absent while the stored code is none of the entries.
    std::optional<std::size_t> selectedLanguageIndex() const;
    void chooseEngine(EngineType engine);
    void chooseLanguage(const std::string& code);

    LanguageHint languageHint() const;
    StatusLine status() const;

    // Fires after any change the card shows.
    platform::Signal<>& changed() { return changed_; }

private:
    void settingChanged(const std::string& key);

    AppSettings& settings_;
    EngineManager& engines_;
    std::function<void()> loadSelectedEngine_;
    EngineType shownEngine_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
    platform::Connection statusWatch_;
};

} // namespace ostrelvirorez
