#pragma once
// The History tab's state: the history switch, the search text, the stored
// entries newest first (read again whenever the store changes) and the ones
// the search leaves, the clear-all confirmation, and deletions. A deletion
// the store refuses is reported and the list shows what is still stored.
// Confined to the main queue.

#include "OstrelVirorez/Model/DictationHistoryEntry.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;
class DictationHistoryContainer;

class HistorySettingsModel {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;

    // How a mode is drawn: the symbol and which colour it takes.
    enum class ModeColor { secondary, claude, timecodeBlue };
    struct ModeIcon {
        std::string symbol;
        ModeColor color;
    };

    HistorySettingsModel(AppSettings& settings, DictationHistoryContainer& container,
                         Now now = [] { return std::chrono::system_clock::now(); });
    HistorySettingsModel(const HistorySettingsModel&) = delete;
    HistorySettingsModel& operator=(const HistorySettingsModel&) = delete;

    // Fires after every change of the values below.
    platform::Signal<> changed;

    bool historyEnabled() const;
    void setHistoryEnabled(bool enabled);

    const std::string& searchText() const { return searchText_; }
    void setSearchText(std::string text);

    // Every stored entry, newest first.
    const std::vector<DictationHistoryEntry>& entries() const { return entries_; }
    // The entries whose text or application name contains the trimmed search
    // text, ignoring case; all of them when it is blank.
    std::vector<DictationHistoryEntry> filtered() const;
    // "Einträge (n)" with n the filtered count.
    std::string entriesSectionTitle() const;
    // The text in place of an empty list.
    std::string emptyListText() const;

    bool showClearConfirm() const { return showClearConfirm_; }
    void requestClearAll();
    void cancelClearAll();
    // "Löscht dauerhaft alle n Verlaufseinträge." with n all stored entries.
    std::string clearConfirmMessage() const;
    // Deletes every stored entry, whatever the search shows.
    void clearAll();
    void deleteEntry(const DictationHistoryEntry& entry);
    // Why the last deletion failed; cleared by the next deletion that succeeds.
    const std::optional<std::string>& deletionError() const { return deletionError_; }

    static std::string appNameText(const DictationHistoryEntry& entry);
    static ModeIcon modeIcon(const std::string& mode);
    std::string ageText(const DictationHistoryEntry& entry, const std::string& locale = {}) const;

private:
    void reload();
    void attempt(const std::function<void()>& deletion);
    void notify() { changed.emit(); }

    AppSettings& settings_;
    DictationHistoryContainer& container_;
    Now now_;
    std::string searchText_;
    std::vector<DictationHistoryEntry> entries_;
    bool showClearConfirm_ = false;
    std::optional<std::string> deletionError_;
    platform::Connection storeObserver_;
};

} // namespace ostrelvirorez
