#pragma once
// The profile editor's state and rules for one stored profile, found by its
// id at every read and write: assigned applications, the engine override,
// trigger words and the two context switches, and the dictation prompt with
// its reset to the built-in prompt of the same name. It keeps no copy of the
// profile; each change is written to the settings store at once, and a
// change to a profile that no longer exists is dropped.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppSettings;

class ProfileDetailModel {
public:
    struct EngineOption {
        std::optional<EngineType> engine;
        std::string label;
    };

    static const std::string& defaultProfileNote();
    static const std::vector<EngineOption>& engineOptions();
    static const std::string& contextHelp();
    static const std::string& promptHint();
    // The field's text: the words joined with ", ".
    static std::string joinTriggerWords(const std::vector<std::string>& words);
    // Split at commas, each piece trimmed of blanks and line breaks, empty
    // pieces dropped; case, duplicates and inner blanks are kept.
    static std::vector<std::string> parseTriggerWords(const std::string& text);

    ProfileDetailModel(AppSettings& settings, platform::Uuid profileID);

    const platform::Uuid& profileID() const { return profileID_; }
    // The profile as stored now; nothing once it has been deleted.
    std::optional<RewritingProfile> profile();

    // A default profile shows a note in place of chips and the add button.
    bool showsDefaultNote();
    std::vector<AppInfo> assignedApps();
    // Removes every entry with this bundle identifier.
    void removeApp(const std::string& bundleIdentifier);
    bool showAppPicker() const { return showAppPicker_; }
    void openAppPicker();
    void appPickerDismissed();

    std::optional<EngineType> engine();
    void setEngine(std::optional<EngineType> engine);
    std::string engineNote();

    std::string triggerWordsText();
    void setTriggerWordsText(const std::string& text);
    bool includeClipboardContext();
    void setIncludeClipboardContext(bool on);
    bool includeWindowTitleContext();
    void setIncludeWindowTitleContext(bool on);

    std::string prompt();
    void setPrompt(const std::string& text);
    // The prompt of the first built-in profile with this profile's name.
    std::optional<std::string> resetTarget();
    bool showsReset();
    void reset();

    // Fires after every change of this model, and whenever the stored
    // profile list is replaced (also by other views).
    platform::Signal<>& changed() { return changed_; }

private:
    void edit(const std::function<void(RewritingProfile&)>& change);

    AppSettings& settings_;
    platform::Uuid profileID_;
    bool showAppPicker_ = false;
    platform::Signal<> changed_;
    platform::Connection storeChanged_;
};

} // namespace ostrelvirorez
