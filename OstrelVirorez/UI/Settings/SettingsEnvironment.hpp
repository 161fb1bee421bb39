#pragma once
// The shared objects the settings window hands to its tabs and sheets. All
// outlive the window.

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class AppSettings;
class AppState;
class DictationHistoryStore;
class DictionaryService;
class NotificationCenter;
class PermissionChecking;
class SnippetService;

struct SettingsEnvironment {
    AppState& appState;
    AppSettings& settings;
    NotificationCenter& notifications;
    // Read each time the status panel is drawn; never asked for a grant.
    const PermissionChecking& permissions;
    // Where the window's short delays (the tooltips') run.
    platform::MainQueue& mainQueue;
    DictionaryService& dictionaryService;
    SnippetService& snippetService;
    DictationHistoryStore& historyStore;
};

} // namespace ostrelvirorez
