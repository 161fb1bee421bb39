#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsModel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeyChoices.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <set>

namespace ostrelvirorez {

using ostreldesignkit::Color;

HotkeySettingsModel::HotkeySettingsModel(AppSettings& settings) : settings_(settings) {}

const std::array<HotkeyGroup, 3>& HotkeySettingsModel::groups() {
    static const std::array<HotkeyGroup, 3> all{
        HotkeyGroup{HotkeyGroupKind::raw, QStringLiteral("Dictation Keys (Raw)"), "mic.badge.plus", "mic", 54},
        HotkeyGroup{HotkeyGroupKind::claude, QStringLiteral("Dictation Keys (Claude)"), "sparkles", "sparkles", 61},
        HotkeyGroup{HotkeyGroupKind::clipboard, QStringLiteral("Clipboard Rewrite Keys"), "clipboard", "clipboard",
                    62},
    };
    return all;
}

const HotkeyGroup& HotkeySettingsModel::group(HotkeyGroupKind kind) {
    return groups()[static_cast<std::size_t>(kind)];
}

QString HotkeySettingsModel::rowTitle(std::size_t index) {
    return QStringLiteral("Hotkey ") + QString::number(index + 1);
}

const std::vector<HotkeyHint>& HotkeySettingsModel::hints() {
    static const std::vector<HotkeyHint> all{
        {"hand.tap", Color::cyanElectric(),
         QStringLiteral("Halten & Loslassen — Taste gedrückt halten während du sprichst, beim Loslassen wird "
                        "transkribiert.")},
        {"mic", Color::cyanElectric(),
         QStringLiteral("Nur Diktat-Taste — reines Diktat, wird unverändert eingefügt. Keine KI-Überarbeitung.")},
        {"sparkles", VirorezColors::claude(),
         QStringLiteral("Nur Claude-Taste — dein Diktat wird von Claude überarbeitet, mit dem Schreibprofil, das "
                        "gerade der aktiven App zugewiesen ist (z.B. locker in Chat-Apps, förmlich in Mail). "
                        "Ergebnis: app-spezifisch verbesserter Text statt Rohtext.")},
        {"clipboard", VirorezColors::warning(),
         QStringLiteral("Zwischenablage umschreiben — auf ZWEI Arten: (1) die dedizierte Clipboard-Taste allein "
                        "(Standard: Right Control), oder (2) Control zusammen mit einer Diktat-Taste halten (z.B. "
                        "Right Super + Control). Dann wird der aktuelle Zwischenablage-Inhalt nach deiner "
                        "gesprochenen Anweisung umgeschrieben (z.B. \"mach das förmlicher\" oder \"übersetze das "
                        "ins Englische\"). Die Sprache des Textes bleibt erhalten (englischer Text bleibt "
                        "englisch), außer du sagst ausdrücklich \"übersetze\". Diese Funktion ist komplett "
                        "unabhängig vom Claude-Diktat.")},
        {"plus.circle", Color::cyanElectric(),
         QStringLiteral("Mehrere Hotkeys pro Aktion möglich — z.B. Right Super UND F1 beide für Diktat.")},
        {"minus.circle", VirorezColors::warning(),
         QStringLiteral("Eine Funktion nicht nutzen? Alle Hotkeys über das \"−\" entfernen — ohne zugewiesene "
                        "Taste bleibt diese Funktion einfach inaktiv, es wird kein Ersatz-Key vergeben.")},
        {"capslock", VirorezColors::warning(),
         QStringLiteral("Caps Lock als Hotkey — sobald zugewiesen, mappt die App Caps Lock automatisch auf F19 "
                        "(eine Taste, die es auf normalen Tastaturen physisch nicht gibt), damit sie sich wie eine "
                        "normale Halte-Taste verhält statt umzuschalten. Dadurch: keine leuchtende Caps-Lock-LED "
                        "und keine Großschreibung mehr, solange die App läuft. Das Umschalten übernimmt die "
                        "Tastaturbelegung des X-Servers — es ist KEINE zusätzliche Berechtigung nötig. Beim "
                        "Beenden der App oder Entfernen aus der Zuweisung wird Caps Lock automatisch wieder "
                        "normal.")},
    };
    return all;
}

std::vector<KeyCode> HotkeySettingsModel::codes(HotkeyGroupKind kind) const {
    switch (kind) {
    case HotkeyGroupKind::raw: return settings_.virorezKeyCodes();
    case HotkeyGroupKind::claude: return settings_.claudeKeyCodes();
    case HotkeyGroupKind::clipboard: return settings_.clipboardKeyCodes();
    }
    return {};
}

void HotkeySettingsModel::write(HotkeyGroupKind kind, const std::vector<KeyCode>& codes) {
    switch (kind) {
    case HotkeyGroupKind::raw: settings_.setVirorezKeyCodes(codes); break;
    case HotkeyGroupKind::claude: settings_.setClaudeKeyCodes(codes); break;
    case HotkeyGroupKind::clipboard: settings_.setClipboardKeyCodes(codes); break;
    }
}

void HotkeySettingsModel::appendCode(HotkeyGroupKind kind) {
    auto list = codes(kind);
    KeyCode next = group(kind).defaultNewCode;
    for (const auto& choice : allowedHotkeys()) {
        if (std::find(list.begin(), list.end(), choice.code) == list.end()) {
            next = choice.code;
            break;
        }
    }
    list.push_back(next);
    write(kind, list);
}

void HotkeySettingsModel::removeCode(HotkeyGroupKind kind, std::size_t index) {
    auto list = codes(kind);
    if (index >= list.size()) return;
    list.erase(list.begin() + std::ptrdiff_t(index));
    write(kind, list);
}

void HotkeySettingsModel::replaceCode(HotkeyGroupKind kind, std::size_t index, KeyCode code) {
    auto list = codes(kind);
    if (index >= list.size()) return;
    list[index] = code;
    write(kind, list);
}

bool HotkeySettingsModel::hasDuplicateKeys() const {
    std::vector<KeyCode> all;
    for (const auto& entry : groups()) {
        const auto list = codes(entry.kind);
        all.insert(all.end(), list.begin(), list.end());
    }
    return std::set<KeyCode>(all.begin(), all.end()).size() != all.size();
}

platform::Signal<std::string>& HotkeySettingsModel::settingsChanged() const {
    return settings_.userDefaults().changed();
}

} // namespace ostrelvirorez
