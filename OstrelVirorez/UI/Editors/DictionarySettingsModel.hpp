#pragma once
// The state and rules of the dictionary tab: the search over the corrections,
// the manual and auto-learned lists, the add form, per-row deletion and
// application assignment, the correction-learning switch, and the two
// confirmed list-wide removals. Every change goes to the store at once.
// Confined to the main queue.

#include "OstrelVirorez/Model/DictionaryCorrection.hpp"
#include "OstrelVirorez/UI/Editors/AppAssignmentSource.hpp"
#include "OstrelVirorez/UI/Editors/ConfirmationRequest.hpp"
#include "Platform/Core/Signal.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;
class DictionaryService;

class DictionarySettingsModel {
public:
    DictionarySettingsModel(DictionaryService& dictionary, AppSettings& settings,
                            AppAssignmentSource apps = AppAssignmentSource::desktop());
    DictionarySettingsModel(const DictionarySettingsModel&) = delete;
    DictionarySettingsModel& operator=(const DictionarySettingsModel&) = delete;

    // Fires after any change of what the tab shows: the store, the settings
    // switch, the form, the search or an open question.
    platform::Signal<>& changed() { return changed_; }

    bool correctionLearningEnabled() const;
    void setCorrectionLearningEnabled(bool enabled);

    const std::string& searchText() const { return searchText_; }
    void setSearchText(std::string text);

    // The corrections matching the search in stored order, and their manual
    // and auto-learned parts.
    std::vector<DictionaryCorrection> filtered() const;
    std::vector<DictionaryCorrection> manualCorrections() const;
    std::vector<DictionaryCorrection> autoLearned() const;

    std::string manualTitle() const;
    // Absent while no auto-learned correction matches: the section is hidden.
    std::optional<std::string> autoLearnedTitle() const;
    // The caption of an empty manual list.
    std::string emptyManualCaption() const;

    const std::string& newSource() const { return newSource_; }
    const std::string& newReplacement() const { return newReplacement_; }
    bool newCaseSensitive() const { return newCaseSensitive_; }
    void setNewSource(std::string text);
    void setNewReplacement(std::string text);
    void setNewCaseSensitive(bool caseSensitive);
    bool canAdd() const;
    void addCorrection();

    void remove(const DictionaryCorrection& row);
    // The running applications not yet assigned to `row`.
    std::vector<AppInfo> candidates(const DictionaryCorrection& row) const;
    void assignApp(const DictionaryCorrection& row, const AppInfo& app);
    void unassignApp(const DictionaryCorrection& row, const std::string& bundleIdentifier);
    std::optional<std::string> appIcon(const std::string& bundleIdentifier) const;

    // Asks before removing every auto-learned correction of the store, also
    // those the search hides, naming how many.
    void requestRemoveAutoLearned();
    // Asks before replacing the whole dictionary by the built-in defaults.
    void requestReset();
    bool showResetConfirm() const { return showResetConfirm_; }
    const std::optional<ConfirmationRequest>& confirmation() const { return confirmation_; }
    // Closes the open question, running its action when `confirmed`.
    void answerConfirmation(bool confirmed);

private:
    void notify() { changed_.emit(); }

    DictionaryService& dictionary_;
    AppSettings& settings_;
    AppAssignmentSource apps_;
    std::string searchText_;
    std::string newSource_;
    std::string newReplacement_;
    bool newCaseSensitive_ = false;
    bool showResetConfirm_ = false;
    std::optional<ConfirmationRequest> confirmation_;
    platform::Signal<> changed_;
    platform::Connection storeConnection_;
    platform::Connection settingsConnection_;
};

} // namespace ostrelvirorez
