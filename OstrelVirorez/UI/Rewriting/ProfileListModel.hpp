#pragma once
// The rewriting tab's profile list: its rows, the selection and the row being
// renamed, the icon choices, and adding and deleting profiles. The stored
// list is read whole when needed and written back whole after each change;
// every change addresses a profile by its id.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

class ProfileListModel {
public:
    struct IconOption {
        std::string name;
        std::string symbol;
    };
    // What one row shows.
    struct Row {
        platform::Uuid id;
        std::string icon;
        std::string name;
        // "default", or the number of assigned apps ("0 apps", "1 app", …).
        std::string subtitle;
        bool selected = false;
        bool renaming = false;
        // Default profiles have no "Delete" entry.
        bool canDelete = false;
    };

    static const std::vector<IconOption>& iconOptions();
    static const std::string& defaultDictationPrompt();
    static const std::string& defaultClipboardPrompt();
    // A profile as the add button makes it, with a fresh id.
    static RewritingProfile newProfile();
    static std::string appCountText(std::size_t count);

    explicit ProfileListModel(AppSettings& settings);

    // Selects the first profile when nothing is selected yet.
    void appear();

    std::vector<Row> rows();
    Row sidebarRow(const RewritingProfile& profile) const;

    const std::optional<platform::Uuid>& selectedProfileID() const { return selectedProfileID_; }
    const std::optional<platform::Uuid>& renamingProfileID() const { return renamingProfileID_; }
    // The selected profile as stored; nothing when it no longer exists.
    std::optional<RewritingProfile> selectedProfile();

    // A click on a row ends renaming and selects it.
    void click(const platform::Uuid& id);
    // "Rename": selects the row and turns its name into a field.
    void startRenaming(const platform::Uuid& id);
    // Return in the name field.
    void endRenaming();
    // Each keystroke of the name field; dropped when the profile is gone.
    void rename(const platform::Uuid& id, const std::string& name);
    void setIcon(const platform::Uuid& id, const std::string& symbol);

    void addProfile();
    void deleteProfile(const platform::Uuid& id);
    // Present only for an existing, selected profile that is not a default.
    bool showsRemoveButton();
    void removeSelected();

    // Fires after every change of this model, and whenever the stored
    // profile list is replaced (also by other views).
    platform::Signal<>& changed() { return changed_; }

private:
    void edit(const platform::Uuid& id, const std::function<void(RewritingProfile&)>& change);

    AppSettings& settings_;
    std::optional<platform::Uuid> selectedProfileID_;
    std::optional<platform::Uuid> renamingProfileID_;
    platform::Signal<> changed_;
    platform::Connection storeChanged_;
};

} // namespace ostrelvirorez
