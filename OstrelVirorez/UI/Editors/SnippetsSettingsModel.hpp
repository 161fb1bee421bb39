#pragma once
// The state and rules of the snippets tab: the list in stored order with its
// per-row switch, delete and edit, the add form, the edit sheet's draft, the
// placeholder legend and the confirmed reset to the defaults. Every action
// goes to the store at once. Confined to the main queue.

#include "OstrelVirorez/Model/Snippet.hpp"
#include "OstrelVirorez/UI/Editors/ConfirmationRequest.hpp"
#include "Platform/Core/Signal.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

class SnippetService;

// The edit sheet's copy of a snippet; the store sees it only through save.
struct SnippetDraft {
    Snippet snippet;

    // A trigger of only blanks cannot be saved.
    bool canSave() const;
    // The snippet to store: the trigger without surrounding blanks, as the
    // add form stores it; everything else as edited.
    Snippet saved() const;
};

struct PlaceholderLegendEntry {
    std::string token;
    std::string description;
};

class SnippetsSettingsModel {
public:
    explicit SnippetsSettingsModel(SnippetService& snippets);
    SnippetsSettingsModel(const SnippetsSettingsModel&) = delete;
    SnippetsSettingsModel& operator=(const SnippetsSettingsModel&) = delete;

    // Fires after any change of what the tab shows.
    platform::Signal<>& changed() { return changed_; }

    const std::vector<Snippet>& snippets() const;
    std::string listTitle() const;
    // The replacement as a row shows it: every line feed as " ↵ ".
    static std::string rowReplacementText(std::string_view replacement);
    static const std::vector<PlaceholderLegendEntry>& placeholderLegend();

    void setEnabled(const Snippet& row, bool enabled);
    void remove(const Snippet& row);

    const std::string& newTrigger() const { return newTrigger_; }
    const std::string& newReplacement() const { return newReplacement_; }
    bool newCaseSensitive() const { return newCaseSensitive_; }
    void setNewTrigger(std::string text);
    void setNewReplacement(std::string text);
    void setNewCaseSensitive(bool caseSensitive);
    // True exactly when addSnippet() would add: a replacement of only blanks
    // and line breaks cannot be added.
    bool canAdd() const;
    void addSnippet();

    // The snippet whose edit sheet is open.
    const std::optional<Snippet>& editingSnippet() const { return editingSnippet_; }
    void beginEditing(const Snippet& row);
    // Stores the draft (see SnippetDraft::saved) and closes the sheet; a
    // draft that cannot be saved changes nothing.
    void saveEditing(const SnippetDraft& draft);
    void cancelEditing();

    void requestReset();
    bool showResetConfirm() const { return confirmation_.has_value(); }
    const std::optional<ConfirmationRequest>& confirmation() const { return confirmation_; }
    void answerConfirmation(bool confirmed);

private:
    void notify() { changed_.emit(); }

    SnippetService& service_;
    std::string newTrigger_;
    std::string newReplacement_;
    bool newCaseSensitive_ = false;
    std::optional<Snippet> editingSnippet_;
    std::optional<ConfirmationRequest> confirmation_;
    platform::Signal<> changed_;
    platform::Connection storeConnection_;
};

} // namespace ostrelvirorez
