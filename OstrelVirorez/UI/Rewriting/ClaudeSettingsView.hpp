#pragma once
// The settings window's rewriting tab: a split view whose sidebar holds the
// API-key, model, backtrack and provider section, the profile list and the
// bar with the add and remove buttons, and whose right pane holds the editor
// of the selected profile or a placeholder. Made afresh each time the tab is
// shown; every control writes through at once, except the API key, which is
// stored only by its save button.

#include "Platform/Core/Signal.hpp"
#include "Platform/Files/Uuid.hpp"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QAbstractButton;
class QLabel;
class QSplitter;
class QVBoxLayout;

namespace platform {
class Keychain;
}

namespace ostrelvirorez {

class ApiCompactSection;
class ApiCompactSectionModel;
class AppCatalog;
class AppSettings;
class AppState;
class ProfileDetailView;
class ApiKeyStatus;
class ProfileListModel;
class ProfileListView;
class SystemLanguageModel;

class ClaudeSettingsView final : public QWidget {
public:
    // What the tab reaches besides the settings store.
    struct Services {
        platform::Keychain& keychain;
        // The keychain account of the hosted rewriter's API key.
        std::string keychainKey;
        const SystemLanguageModel& onDeviceModel;
        AppCatalog& catalog;
        // Reads the key without waiting for the keychain, when given.
        ApiKeyStatus* keyStatus = nullptr;
    };

    // The application's tab: its keychain, "claudeAPIKey", the platform's
    // on-device model and the desktop's applications.
    ClaudeSettingsView(AppSettings& settings, AppState& appState, QWidget* parent = nullptr);
    ClaudeSettingsView(AppSettings& settings, Services services, QWidget* parent = nullptr);
    ~ClaudeSettingsView() override;

    ApiCompactSectionModel& sectionModel() { return *sectionModel_; }
    ProfileListModel& listModel() { return *listModel_; }
    QSplitter& splitView() const { return *split_; }
    QWidget& sidebar() const { return *sidebar_; }
    ApiCompactSection& apiSection() const { return *apiSection_; }
    ProfileListView& profileList() const { return *profileList_; }
    QAbstractButton& addButton() const { return *addButton_; }
    QAbstractButton& removeButton() const { return *removeButton_; }
    // The editor of the selected profile; null while the placeholder shows.
    ProfileDetailView* detailView() const { return detail_; }
    QLabel& placeholder() const { return *placeholder_; }

private:
    QWidget* makeSidebar();
    QWidget* makeBottomBar(QWidget* parent);
    QWidget* makeDetailPane();
    void refresh();
    void updateDetailPane();

    AppSettings& settings_;
    Services services_;
    std::unique_ptr<ApiCompactSectionModel> sectionModel_;
    std::unique_ptr<ProfileListModel> listModel_;
    QSplitter* split_ = nullptr;
    QWidget* sidebar_ = nullptr;
    ApiCompactSection* apiSection_ = nullptr;
    ProfileListView* profileList_ = nullptr;
    QAbstractButton* addButton_ = nullptr;
    QAbstractButton* removeButton_ = nullptr;
    QWidget* detailPane_ = nullptr;
    QVBoxLayout* detailStack_ = nullptr;
    QWidget* placeholderPane_ = nullptr;
    QLabel* placeholder_ = nullptr;
    ProfileDetailView* detail_ = nullptr;
    platform::Connection listChanged_;
};

} // namespace ostrelvirorez
