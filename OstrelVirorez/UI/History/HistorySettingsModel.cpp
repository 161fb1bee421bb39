#include "OstrelVirorez/UI/History/HistorySettingsModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryContainer.hpp"
#include "OstrelVirorez/UI/History/RelativeAge.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Text/StringSearch.hpp"

#include <exception>

namespace ostrelvirorez {
namespace {

// Spaces and tabs only: a search text keeps its line breaks.
std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

HistorySettingsModel::HistorySettingsModel(AppSettings& settings, DictationHistoryContainer& container, Now now)
    : settings_(settings), container_(container), now_(std::move(now)) {
    storeObserver_ = container_.changed.connect([this] {
        reload();
        notify();
    });
    reload();
}

bool HistorySettingsModel::historyEnabled() const { return settings_.dictationHistoryEnabled(); }

void HistorySettingsModel::setHistoryEnabled(bool enabled) {
    settings_.setDictationHistoryEnabled(enabled);
    notify();
}

void HistorySettingsModel::setSearchText(std::string text) {
    searchText_ = std::move(text);
    notify();
}

std::vector<DictationHistoryEntry> HistorySettingsModel::filtered() const {
    const std::string query = trimBlanks(searchText_);
    if (query.empty()) return entries_;
    const platform::text::SearchOptions ignoringCase{.caseInsensitive = true};
    std::vector<DictationHistoryEntry> result;
    for (const auto& entry : entries_) {
        if (platform::text::contains(entry.text, query, ignoringCase) ||
            platform::text::contains(entry.appName, query, ignoringCase)) {
            result.push_back(entry);
        }
    }
    return result;
}

std::string HistorySettingsModel::entriesSectionTitle() const {
    return "Einträge (" + std::to_string(filtered().size()) + ")";
}

std::string HistorySettingsModel::emptyListText() const {
    return searchText_.empty() ? "Noch keine Diktate protokolliert." : "Keine Treffer.";
}

void HistorySettingsModel::requestClearAll() {
    showClearConfirm_ = true;
    notify();
}

void HistorySettingsModel::cancelClearAll() {
    showClearConfirm_ = false;
    notify();
}

std::string HistorySettingsModel::clearConfirmMessage() const {
    return "Löscht dauerhaft alle " + std::to_string(entries_.size()) + " Verlaufseinträge.";
}

void HistorySettingsModel::clearAll() {
    showClearConfirm_ = false;
    attempt([this] { container_.deleteAll(); });
}

void HistorySettingsModel::deleteEntry(const DictationHistoryEntry& entry) {
    attempt([this, &entry] { container_.deleteEntry(entry); });
}

void HistorySettingsModel::attempt(const std::function<void()>& deletion) {
    try {
        deletion();
        deletionError_.reset();
    } catch (const std::exception&) {
        // The store kept the entries: say so, and list what it holds.
        deletionError_ = "Löschen fehlgeschlagen: " + platform::describeError(std::current_exception());
    }
    reload();
    notify();
}

void HistorySettingsModel::reload() {
    try {
        entries_ = container_.entriesNewestFirst();
    } catch (const std::exception&) {
        // An unreadable store keeps the last list it gave.
    }
}

std::string HistorySettingsModel::appNameText(const DictationHistoryEntry& entry) {
    return entry.appName.empty() ? "Unbekannt" : entry.appName;
}

HistorySettingsModel::ModeIcon HistorySettingsModel::modeIcon(const std::string& mode) {
    if (mode == "raw") return {"waveform", ModeColor::secondary};
    if (mode == "claude") return {"sparkles", ModeColor::claude};
    if (mode == "clipboardRewrite") return {"doc.on.clipboard", ModeColor::timecodeBlue};
    return {"questionmark", ModeColor::secondary};
}

std::string HistorySettingsModel::ageText(const DictationHistoryEntry& entry, const std::string& locale) const {
    return relativeAgeText(entry.timestamp, now_(), locale);
}

} // namespace ostrelvirorez
