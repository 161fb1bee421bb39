#include "OstrelVirorez/UI/Editors/SnippetsSettingsModel.hpp"

#include "OstrelVirorez/Model/SnippetService.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <utility>

namespace ostrelvirorez {

using platform::text::trimHorizontalWhitespace;
using platform::text::trimWhitespaceAndNewlines;

bool SnippetDraft::canSave() const { return !trimHorizontalWhitespace(snippet.trigger).empty(); }

Snippet SnippetDraft::saved() const {
    auto result = snippet;
    result.trigger = trimHorizontalWhitespace(snippet.trigger);
    return result;
}

SnippetsSettingsModel::SnippetsSettingsModel(SnippetService& snippets) : service_(snippets) {
    storeConnection_ = service_.snippetsChanged().connect([this] { notify(); });
}

const std::vector<Snippet>& SnippetsSettingsModel::snippets() const { return service_.snippets(); }

std::string SnippetsSettingsModel::listTitle() const {
    return "Snippets (" + std::to_string(snippets().size()) + ")";
}

std::string SnippetsSettingsModel::rowReplacementText(std::string_view replacement) {
    std::string shown;
    for (const char c : replacement) {
        if (c == '\n')
            shown += " \u21B5 ";
        else
            shown += c;
    }
    return shown;
}

const std::vector<PlaceholderLegendEntry>& SnippetsSettingsModel::placeholderLegend() {
    static const std::vector<PlaceholderLegendEntry> legend = [] {
        const std::pair<SnippetService::Placeholder, const char*> descriptions[] = {
            {SnippetService::Placeholder::date, "Date (06.05.2026)"},
            {SnippetService::Placeholder::dateISO, "Date ISO (2026-05-06)"},
            {SnippetService::Placeholder::time, "Time (14:32)"},
            {SnippetService::Placeholder::datetime, "Date + Time"},
            {SnippetService::Placeholder::clipboard, "Current clipboard content"},
            {SnippetService::Placeholder::app, "Active app name"},
            {SnippetService::Placeholder::newline, "Line break"},
        };
        std::vector<PlaceholderLegendEntry> entries;
        for (const auto& [placeholder, description] : descriptions)
            entries.push_back({std::string(rawValue(placeholder)), description});
        return entries;
    }();
    return legend;
}

void SnippetsSettingsModel::setEnabled(const Snippet& row, bool enabled) {
    auto copy = row;
    copy.isEnabled = enabled;
    service_.update(copy);
}

void SnippetsSettingsModel::remove(const Snippet& row) { service_.remove(row.id); }

void SnippetsSettingsModel::setNewTrigger(std::string text) {
    newTrigger_ = std::move(text);
    notify();
}

void SnippetsSettingsModel::setNewReplacement(std::string text) {
    newReplacement_ = std::move(text);
    notify();
}

void SnippetsSettingsModel::setNewCaseSensitive(bool caseSensitive) {
    newCaseSensitive_ = caseSensitive;
    notify();
}

bool SnippetsSettingsModel::canAdd() const {
    return !trimHorizontalWhitespace(newTrigger_).empty() && !trimWhitespaceAndNewlines(newReplacement_).empty();
}

void SnippetsSettingsModel::addSnippet() {
    auto trigger = trimHorizontalWhitespace(newTrigger_);
    auto replacement = trimWhitespaceAndNewlines(newReplacement_);
    if (trigger.empty() || replacement.empty()) return;
    const Snippet snippet{platform::Uuid(), std::move(trigger), std::move(replacement), newCaseSensitive_, true};
    newTrigger_.clear();
    newReplacement_.clear();
    newCaseSensitive_ = false;
    service_.add(snippet); // notifies through the store
}

void SnippetsSettingsModel::beginEditing(const Snippet& row) {
    editingSnippet_ = row;
    notify();
}

void SnippetsSettingsModel::saveEditing(const SnippetDraft& draft) {
    if (!draft.canSave()) return;
    editingSnippet_.reset();
    service_.update(draft.saved());
    notify();
}

void SnippetsSettingsModel::cancelEditing() {
    editingSnippet_.reset();
    notify();
}

void SnippetsSettingsModel::requestReset() {
    confirmation_ = ConfirmationRequest{"Reset Snippets?",
                                        "This replaces all current snippets with the built-in defaults.", "Reset",
                                        [this] { service_.resetToDefaults(); }};
    notify();
}

void SnippetsSettingsModel::answerConfirmation(bool confirmed) {
    if (!confirmation_) return;
    const auto action = std::exchange(confirmation_, std::nullopt)->confirm;
    if (confirmed && action) action();
    notify();
}

} // namespace ostrelvirorez
