#include "OstrelVirorez/UI/Rewriting/ProfileListModel.hpp"

#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"

#include <algorithm>

namespace ostrelvirorez {

const std::vector<ProfileListModel::IconOption>& ProfileListModel::iconOptions() {
    static const std::vector<IconOption> options{
        {"Envelope", "envelope.fill"},
        {"Chat", "bubble.left.fill"},
        {"Code", "chevron.left.forwardslash.chevron.right"},
        {"Note", "note.text"},
        {"Document", "doc.richtext"},
        {"Social", "megaphone.fill"},
        {"Film", "film"},
        {"Default", "doc.text"},
        {"Star", "star.fill"},
        {"Pencil", "pencil"},
    };
    return options;
}

const std::string& ProfileListModel::defaultDictationPrompt() {
    static const std::string text = "Clean up the dictated text.\n\nRules:\n- Fix grammar and spelling.\n"
                                    "- Keep the original language.\n" +
                                    RewritingPrompts::outputRulesBlock();
    return text;
}

const std::string& ProfileListModel::defaultClipboardPrompt() { return RewritingPrompts::generalRewritePrompt(); }

RewritingProfile ProfileListModel::newProfile() {
    RewritingProfile profile;
    profile.name = "New Profile";
    profile.prompt = defaultDictationPrompt();
    profile.clipboardPrompt = defaultClipboardPrompt();
    profile.icon = "doc.text";
    return profile;
}

std::string ProfileListModel::appCountText(std::size_t count) {
    return std::to_string(count) + " app" + (count == 1 ? "" : "s");
}

ProfileListModel::ProfileListModel(AppSettings& settings)
    : settings_(settings), storeChanged_(settings.objectWillChange().connect([this] { changed_.emit(); })) {}

void ProfileListModel::appear() {
    const auto& profiles = settings_.rewritingProfiles();
    if (!selectedProfileID_ && !profiles.empty()) {
        selectedProfileID_ = profiles.front().id;
        changed_.emit();
    }
}

std::vector<ProfileListModel::Row> ProfileListModel::rows() {
    std::vector<Row> rows;
    for (const auto& profile : settings_.rewritingProfiles()) rows.push_back(sidebarRow(profile));
    return rows;
}

ProfileListModel::Row ProfileListModel::sidebarRow(const RewritingProfile& profile) const {
    return Row{profile.id,
               profile.icon,
               profile.name,
               profile.isDefault ? "default" : appCountText(profile.assignedApps.size()),
               selectedProfileID_ == profile.id,
               renamingProfileID_ == profile.id,
               !profile.isDefault};
}

std::optional<RewritingProfile> ProfileListModel::selectedProfile() {
    if (!selectedProfileID_) return std::nullopt;
    const auto& profiles = settings_.rewritingProfiles();
    const auto found = std::ranges::find(profiles, *selectedProfileID_, &RewritingProfile::id);
    if (found == profiles.end()) return std::nullopt;
    return *found;
}

void ProfileListModel::click(const platform::Uuid& id) {
    renamingProfileID_.reset();
    selectedProfileID_ = id;
    changed_.emit();
}

void ProfileListModel::startRenaming(const platform::Uuid& id) {
    selectedProfileID_ = id;
    renamingProfileID_ = id;
    changed_.emit();
}

void ProfileListModel::endRenaming() {
    renamingProfileID_.reset();
    changed_.emit();
}

void ProfileListModel::rename(const platform::Uuid& id, const std::string& name) {
    edit(id, [&](RewritingProfile& profile) { profile.name = name; });
}

void ProfileListModel::setIcon(const platform::Uuid& id, const std::string& symbol) {
    edit(id, [&](RewritingProfile& profile) { profile.icon = symbol; });
}

void ProfileListModel::edit(const platform::Uuid& id, const std::function<void(RewritingProfile&)>& change) {
    auto profiles = settings_.rewritingProfiles();
    if (updateProfile(profiles, id, change)) settings_.setRewritingProfiles(std::move(profiles));
}

void ProfileListModel::addProfile() {
    auto profiles = settings_.rewritingProfiles();
    const auto profile = newProfile();
    profiles.push_back(profile);
    settings_.setRewritingProfiles(std::move(profiles));
    selectedProfileID_ = profile.id;
    changed_.emit();
}

void ProfileListModel::deleteProfile(const platform::Uuid& id) {
    auto profiles = settings_.rewritingProfiles();
    std::erase_if(profiles, [&](const RewritingProfile& profile) { return profile.id == id; });
    settings_.setRewritingProfiles(profiles);
    selectedProfileID_ = profiles.empty() ? std::nullopt : std::optional(profiles.front().id);
    changed_.emit();
}

bool ProfileListModel::showsRemoveButton() {
    const auto selected = selectedProfile();
    return selected && !selected->isDefault;
}

void ProfileListModel::removeSelected() {
    if (showsRemoveButton()) deleteProfile(*selectedProfileID_);
}

} // namespace ostrelvirorez
