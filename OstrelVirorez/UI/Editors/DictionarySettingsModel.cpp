#include "OstrelVirorez/UI/Editors/DictionarySettingsModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "Platform/Text/StringSearch.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <utility>

namespace ostrelvirorez {
namespace {

constexpr const char* learningKey = "correctionLearningEnabled";

bool matches(const DictionaryCorrection& correction, const std::string& query) {
    const platform::text::SearchOptions options{.caseInsensitive = true};
    return platform::text::contains(correction.source, query, options) ||
           platform::text::contains(correction.replacement, query, options);
}

std::vector<DictionaryCorrection> withLearnedFlag(const std::vector<DictionaryCorrection>& list, bool learned) {
    std::vector<DictionaryCorrection> part;
    std::ranges::copy_if(list, std::back_inserter(part),
                         [&](const DictionaryCorrection& correction) { return correction.isAutoLearned == learned; });
    return part;
}

std::string removalMessage(std::size_t count) {
    if (count == 1) return "This removes 1 auto-learned correction.";
    return "This removes all " + std::to_string(count) + " auto-learned corrections, also those the search hides.";
}

} // namespace

DictionarySettingsModel::DictionarySettingsModel(DictionaryService& dictionary, AppSettings& settings,
                                                 AppAssignmentSource apps)
    : dictionary_(dictionary), settings_(settings), apps_(std::move(apps)) {
    storeConnection_ = dictionary_.correctionsChanged().connect([this] { notify(); });
    settingsConnection_ = settings_.userDefaults().changed().connect([this](const std::string& key) {
        if (key == learningKey) notify();
    });
}

bool DictionarySettingsModel::correctionLearningEnabled() const { return settings_.correctionLearningEnabled(); }

void DictionarySettingsModel::setCorrectionLearningEnabled(bool enabled) {
    settings_.setCorrectionLearningEnabled(enabled);
}

void DictionarySettingsModel::setSearchText(std::string text) {
    searchText_ = std::move(text);
    notify();
}

std::vector<DictionaryCorrection> DictionarySettingsModel::filtered() const {
    const auto query = platform::text::trimHorizontalWhitespace(searchText_);
    if (query.empty()) return dictionary_.corrections();
    std::vector<DictionaryCorrection> found;
    std::ranges::copy_if(dictionary_.corrections(), std::back_inserter(found),
                         [&](const DictionaryCorrection& correction) { return matches(correction, query); });
    return found;
}

std::vector<DictionaryCorrection> DictionarySettingsModel::manualCorrections() const {
    return withLearnedFlag(filtered(), false);
}

std::vector<DictionaryCorrection> DictionarySettingsModel::autoLearned() const {
    return withLearnedFlag(filtered(), true);
}

std::string DictionarySettingsModel::manualTitle() const {
    return "Corrections (" + std::to_string(manualCorrections().size()) + ")";
}

std::optional<std::string> DictionarySettingsModel::autoLearnedTitle() const {
    const auto count = autoLearned().size();
    if (count == 0) return std::nullopt;
    return "Auto-Learned (" + std::to_string(count) + ")";
}

std::string DictionarySettingsModel::emptyManualCaption() const {
    return searchText_.empty() ? "No corrections yet." : "No matches.";
}

void DictionarySettingsModel::setNewSource(std::string text) {
    newSource_ = std::move(text);
    notify();
}

void DictionarySettingsModel::setNewReplacement(std::string text) {
    newReplacement_ = std::move(text);
    notify();
}

void DictionarySettingsModel::setNewCaseSensitive(bool caseSensitive) {
    newCaseSensitive_ = caseSensitive;
    notify();
}

bool DictionarySettingsModel::canAdd() const {
    return !platform::text::trimHorizontalWhitespace(newSource_).empty() &&
           !platform::text::trimHorizontalWhitespace(newReplacement_).empty();
}

void DictionarySettingsModel::addCorrection() {
    auto source = platform::text::trimHorizontalWhitespace(newSource_);
    auto replacement = platform::text::trimHorizontalWhitespace(newReplacement_);
    if (source.empty() || replacement.empty()) return;
    const DictionaryCorrection correction{platform::Uuid(), std::move(source), std::move(replacement), std::nullopt,
                                          newCaseSensitive_, false, {}};
    newSource_.clear();
    newReplacement_.clear();
    newCaseSensitive_ = false;
    dictionary_.add(correction); // notifies through the store
}

void DictionarySettingsModel::remove(const DictionaryCorrection& row) { dictionary_.remove(row.id); }

std::vector<AppInfo> DictionarySettingsModel::candidates(const DictionaryCorrection& row) const {
    auto running = apps_.runningApps ? apps_.runningApps() : std::vector<AppInfo>{};
    std::erase_if(running, [&](const AppInfo& app) {
        return std::ranges::find(row.assignedApps, app.bundleIdentifier, &AppInfo::bundleIdentifier) !=
               row.assignedApps.end();
    });
    return running;
}

void DictionarySettingsModel::assignApp(const DictionaryCorrection& row, const AppInfo& app) {
    auto copy = row;
    copy.assignedApps.push_back(app);
    dictionary_.update(copy);
}

void DictionarySettingsModel::unassignApp(const DictionaryCorrection& row, const std::string& bundleIdentifier) {
    auto copy = row;
    std::erase_if(copy.assignedApps, [&](const AppInfo& app) { return app.bundleIdentifier == bundleIdentifier; });
    dictionary_.update(copy);
}

std::optional<std::string> DictionarySettingsModel::appIcon(const std::string& bundleIdentifier) const {
    return apps_.icon ? apps_.icon(bundleIdentifier) : std::nullopt;
}

void DictionarySettingsModel::requestRemoveAutoLearned() {
    const auto learned = withLearnedFlag(dictionary_.corrections(), true);
    if (learned.empty()) return;
    std::vector<platform::Uuid> ids;
    std::ranges::transform(learned, std::back_inserter(ids), &DictionaryCorrection::id);
    // The question names what is stored now; corrections learned while it is
    // open are not part of the answer.
    confirmation_ = ConfirmationRequest{"Remove Auto-Learned Corrections?", removalMessage(learned.size()), "Remove",
                                        [this, ids] { dictionary_.removeAll(ids); }};
    notify();
}

void DictionarySettingsModel::requestReset() {
    showResetConfirm_ = true;
    confirmation_ = ConfirmationRequest{
        "Reset Dictionary?", "This replaces all current corrections (including auto-learned ones) with the built-in defaults.",
        "Reset", [this] { dictionary_.resetToDefaults(); }};
    notify();
}

void DictionarySettingsModel::answerConfirmation(bool confirmed) {
    if (!confirmation_) return;
    const auto action = std::exchange(confirmation_, std::nullopt)->confirm;
    showResetConfirm_ = false;
    if (confirmed && action) action();
    notify();
}

} // namespace ostrelvirorez
