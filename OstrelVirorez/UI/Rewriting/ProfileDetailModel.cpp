#include "OstrelVirorez/UI/Rewriting/ProfileDetailModel.hpp"

#include "OstrelVirorez/App/EngineDisplayName.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <sstream>

namespace ostrelvirorez {

const std::string& ProfileDetailModel::defaultProfileNote() {
    static const std::string text = "Default profile — used for all apps not assigned to another profile.";
    return text;
}

const std::vector<ProfileDetailModel::EngineOption>& ProfileDetailModel::engineOptions() {
    static const std::vector<EngineOption> options = [] {
        std::vector<EngineOption> list{{std::nullopt, "Default (App-Setting)"}};
        for (const auto engine : allEngineTypes) list.push_back({engine, engineDisplayName(engine)});
        return list;
    }();
    return options;
}

const std::string& ProfileDetailModel::contextHelp() {
    static const std::string text =
        "Ein Trigger-Wort am Anfang oder Ende des Diktats schaltet für diese eine Aufnahme auf dieses Profil um — "
        "unabhängig von der aktiven App; das Wort selbst wird aus dem Text entfernt. \"Zwischenablage als Kontext\" "
        "gibt dem Rewrite den aktuellen Inhalt der Zwischenablage als Zusatzinfo mit (z.B. um auf etwas zu "
        "antworten). \"Fenstertitel als Kontext\" gibt den Titel des fokussierten Fensters mit (z.B. den offenen "
        "Dateinamen in Cursor/VS Code/Xcode) — nützlich, um mehrdeutige Diktate einzuordnen. Beides nur wenn aktiv, "
        "sonst unverändertes Verhalten.";
    return text;
}

const std::string& ProfileDetailModel::promptHint() {
    static const std::string text =
        "Used when dictating via microphone into this app. App name and vocabulary are appended automatically. "
        "Clipboard rewrite (both keys held together) uses one global behaviour, independent of this per-app prompt.";
    return text;
}

std::string ProfileDetailModel::joinTriggerWords(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

std::vector<std::string> ProfileDetailModel::parseTriggerWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream pieces(text);
    std::string piece;
    while (std::getline(pieces, piece, ',')) {
        auto word = platform::text::trimWhitespaceAndNewlines(piece);
        if (!word.empty()) words.push_back(std::move(word));
    }
    return words;
}

ProfileDetailModel::ProfileDetailModel(AppSettings& settings, platform::Uuid profileID)
    : settings_(settings), profileID_(profileID),
      storeChanged_(settings.objectWillChange().connect([this] { changed_.emit(); })) {}

std::optional<RewritingProfile> ProfileDetailModel::profile() {
    const auto& profiles = settings_.rewritingProfiles();
    const auto found = std::ranges::find(profiles, profileID_, &RewritingProfile::id);
    if (found == profiles.end()) return std::nullopt;
    return *found;
}

void ProfileDetailModel::edit(const std::function<void(RewritingProfile&)>& change) {
    auto profiles = settings_.rewritingProfiles();
    if (updateProfile(profiles, profileID_, change)) settings_.setRewritingProfiles(std::move(profiles));
}

bool ProfileDetailModel::showsDefaultNote() {
    const auto current = profile();
    return current && current->isDefault;
}

std::vector<AppInfo> ProfileDetailModel::assignedApps() {
    const auto current = profile();
    return current ? current->assignedApps : std::vector<AppInfo>{};
}

void ProfileDetailModel::removeApp(const std::string& bundleIdentifier) {
    edit([&](RewritingProfile& edited) {
        std::erase_if(edited.assignedApps,
                      [&](const AppInfo& app) { return app.bundleIdentifier == bundleIdentifier; });
    });
}

void ProfileDetailModel::openAppPicker() {
    showAppPicker_ = true;
    changed_.emit();
}

void ProfileDetailModel::appPickerDismissed() {
    showAppPicker_ = false;
    changed_.emit();
}

std::optional<EngineType> ProfileDetailModel::engine() {
    const auto current = profile();
    return current ? current->preferredEngine : std::nullopt;
}

void ProfileDetailModel::setEngine(std::optional<EngineType> engine) {
    edit([&](RewritingProfile& edited) { edited.preferredEngine = engine; });
}

std::string ProfileDetailModel::engineNote() {
    const auto chosen = engine();
    if (!chosen) return "Wenn gesetzt, übersteuert das die globale Engine für Diktate in den zugewiesenen Apps.";
    return "Diktate über dieses Profil nutzen " + engineDisplayName(*chosen) +
           " — unabhängig vom globalen Engine-Setting. Beim ersten Wechsel kann das Modell-Laden ein paar Sekunden "
           "dauern.";
}

std::string ProfileDetailModel::triggerWordsText() {
    const auto current = profile();
    return current ? joinTriggerWords(current->triggerWords) : std::string();
}

void ProfileDetailModel::setTriggerWordsText(const std::string& text) {
    edit([&](RewritingProfile& edited) { edited.triggerWords = parseTriggerWords(text); });
}

bool ProfileDetailModel::includeClipboardContext() {
    const auto current = profile();
    return current && current->includeClipboardContext;
}

void ProfileDetailModel::setIncludeClipboardContext(bool on) {
    edit([&](RewritingProfile& edited) { edited.includeClipboardContext = on; });
}

bool ProfileDetailModel::includeWindowTitleContext() {
    const auto current = profile();
    return current && current->includeWindowTitleContext;
}

void ProfileDetailModel::setIncludeWindowTitleContext(bool on) {
    edit([&](RewritingProfile& edited) { edited.includeWindowTitleContext = on; });
}

std::string ProfileDetailModel::prompt() {
    const auto current = profile();
    return current ? current->prompt : std::string();
}

void ProfileDetailModel::setPrompt(const std::string& text) {
    edit([&](RewritingProfile& edited) { edited.prompt = text; });
}

std::optional<std::string> ProfileDetailModel::resetTarget() {
    const auto current = profile();
    if (!current) return std::nullopt;
    const auto& builtIn = RewritingProfile::defaults();
    const auto found = std::ranges::find(builtIn, current->name, &RewritingProfile::name);
    if (found == builtIn.end()) return std::nullopt;
    return found->prompt;
}

bool ProfileDetailModel::showsReset() {
    const auto target = resetTarget();
    return target && *target != prompt();
}

void ProfileDetailModel::reset() {
    if (const auto target = resetTarget()) setPrompt(*target);
}

} // namespace ostrelvirorez
