#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"

namespace ostrelvirorez {

std::string_view rawValue(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general: return "general";
    case SettingsTab::hotkeys: return "hotkeys";
    case SettingsTab::claude: return "claude";
    case SettingsTab::vocabulary: return "vocabulary";
    case SettingsTab::dictionary: return "dictionary";
    case SettingsTab::snippets: return "snippets";
    case SettingsTab::history: return "history";
    }
    return {};
}

std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw) {
    for (const auto tab : allSettingsTabs)
        if (rawValue(tab) == raw) return tab;
    return std::nullopt;
}

std::string_view title(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general: return "General";
    case SettingsTab::hotkeys: return "Keys";
    case SettingsTab::claude: return "Claude";
    case SettingsTab::vocabulary: return "Vocabulary";
    case SettingsTab::dictionary: return "Dictionary";
    case SettingsTab::snippets: return "Snippets";
    case SettingsTab::history: return "History";
    }
    return {};
}

std::string_view symbol(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general: return "gearshape";
    case SettingsTab::hotkeys: return "keyboard";
    case SettingsTab::claude: return "sparkles";
    case SettingsTab::vocabulary: return "text.book.closed";
    case SettingsTab::dictionary: return "character.book.closed";
    case SettingsTab::snippets: return "scroll";
    case SettingsTab::history: return "clock.arrow.circlepath";
    }
    return {};
}

} // namespace ostrelvirorez
