#pragma once
// The Keys tab's logic over the settings store: the three hold-to-talk lists
// (plain dictation, rewritten dictation, clipboard rewrite), read as the
// store reads them (legacy keys and fallbacks included) and written whole
// after every edit; whether one key stands in more than one place; and the
// tab's explanatory hints. Keeps no state of its own. Main thread only.

#include "OstrelVirorez/Model/HotkeyCodeList.hpp"
#include "Platform/Core/Signal.hpp"

#include <QColor>
#include <QString>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

enum class HotkeyGroupKind { raw, claude, clipboard };

struct HotkeyGroup {
    HotkeyGroupKind kind;
    QString title;
    std::string iconAdd;
    std::string iconRow;
    // Appended when every allowed key is already in the list.
    KeyCode defaultNewCode;
};

struct HotkeyHint {
    std::string symbol;
    QColor color;
    QString text;
};

class HotkeySettingsModel {
public:
    explicit HotkeySettingsModel(AppSettings& settings);

    // The three groups in the order shown.
    static const std::array<HotkeyGroup, 3>& groups();
    static const HotkeyGroup& group(HotkeyGroupKind kind);
    // "Hotkey 1", "Hotkey 2", ... for the row at `index` (from 0).
    static QString rowTitle(std::size_t index);
    static const std::vector<HotkeyHint>& hints();

    std::vector<KeyCode> codes(HotkeyGroupKind kind) const;
    // Appends the first allowed key not in this group's own list (another
    // group's keys may be taken), else the group's default code.
    void appendCode(HotkeyGroupKind kind);
    // Does nothing for an index outside the list.
    void removeCode(HotkeyGroupKind kind, std::size_t index);
    void replaceCode(HotkeyGroupKind kind, std::size_t index, KeyCode code);

    // True when a code stands more than once in the three lists together,
    // also twice within one list.
    bool hasDuplicateKeys() const;

    // Fires after every write to the settings store, whoever made it.
    platform::Signal<std::string>& settingsChanged() const;

private:
    void write(HotkeyGroupKind kind, const std::vector<KeyCode>& codes);

    AppSettings& settings_;
};

} // namespace ostrelvirorez
