#include "OstrelVirorez/UI/Settings/SettingsTabViews.hpp"

#include "OstrelVirorez/UI/Editors/DictionarySettingsView.hpp"
#include "OstrelVirorez/UI/Editors/SnippetsSettingsView.hpp"
#include "OstrelVirorez/UI/Editors/VocabularySettingsView.hpp"
#include "OstrelVirorez/UI/General/GeneralSettingsView.hpp"
#include "OstrelVirorez/UI/History/HistorySettingsView.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsView.hpp"
#include "OstrelVirorez/UI/Rewriting/ClaudeSettingsView.hpp"

namespace ostrelvirorez {

std::unique_ptr<QWidget> makeSettingsTabView(SettingsTab tab, const SettingsEnvironment& environment,
                                             QWidget* parent) {
    switch (tab) {
    case SettingsTab::general:
        return std::make_unique<GeneralSettingsView>(environment.settings, environment.appState, parent);
    case SettingsTab::hotkeys: return std::make_unique<HotkeySettingsView>(environment.settings, parent);
    case SettingsTab::claude:
        return std::make_unique<ClaudeSettingsView>(environment.settings, environment.appState, parent);
    case SettingsTab::vocabulary:
        return std::make_unique<VocabularySettingsView>(environment.settings, environment.appState, parent);
    case SettingsTab::dictionary:
        return std::make_unique<DictionarySettingsView>(environment.dictionaryService, environment.settings, parent);
    case SettingsTab::snippets: return std::make_unique<SnippetsSettingsView>(environment.snippetService, parent);
    case SettingsTab::history:
        return std::make_unique<HistorySettingsView>(environment.settings, environment.historyStore, parent);
    }
    return nullptr;
}

} // namespace ostrelvirorez
