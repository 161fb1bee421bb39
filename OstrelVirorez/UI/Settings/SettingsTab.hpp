#pragma once
// The seven tabs of the settings window, in sidebar order, with the title
// and symbol of each row. The raw value is the tab's identity; a string that
// is none of them builds no tab.

#include <array>
#include <optional>
#include <string_view>

namespace ostrelvirorez {

enum class SettingsTab { general, hotkeys, claude, vocabulary, dictionary, snippets, history };

inline constexpr std::array allSettingsTabs{SettingsTab::general,    SettingsTab::hotkeys,    SettingsTab::claude,
                                            SettingsTab::vocabulary, SettingsTab::dictionary, SettingsTab::snippets,
                                            SettingsTab::history};

std::string_view rawValue(SettingsTab tab);
std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw);

// The sidebar row's title (shown as it stands, in English) and symbol name.
std::string_view title(SettingsTab tab);
std::string_view symbol(SettingsTab tab);

} // namespace ostrelvirorez
