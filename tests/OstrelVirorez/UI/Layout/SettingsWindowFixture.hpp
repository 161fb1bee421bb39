#pragma once
// The settings window shown over a launched application state, with a
// scripted last error: selects a tab with the sidebar and the status panel as
// asked, settles the sidebar's animation, and renders the window.

#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"
#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/SettingsWindow.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"

#include <QCoreApplication>
#include <QDialog>
#include <QImage>

#include <memory>
#include <string>

namespace ostrelvirorez::testing {

inline std::string tabName(SettingsTab tab) { return std::string(rawValue(tab)); }

class SettingsWindowFixture : public ShellFixture {
protected:
    SettingsWindowFixture() {
        appState->lastErrorMessage.set(std::string(
            "Die Aufnahme konnte nicht gestartet werden, weil kein Eingabegerät geantwortet hat."));
        window->show();
        settle();
    }
    ~SettingsWindowFixture() override {
        if (QDialog* sheet = view().sheetDialog()) sheet->close();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    SettingsView& view() const { return window->settingsView(); }

    // Runs what is posted and ends the sidebar's animation.
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto& animation = view().shell().collapseAnimation();
        if (animation.state() == QAbstractAnimation::Running) animation.setCurrentTime(animation.duration());
        QCoreApplication::processEvents();
    }

    // Selects `tab` with the sidebar and the status panel as asked, and lets the window settle.
    void show(SettingsTab tab, bool sidebarCollapsed, bool statusPanelOpen) {
        view().model().select(tab);
        if (view().model().isSidebarCollapsed() != sidebarCollapsed) view().model().toggleSidebar();
        if (view().model().isStatusPanelOpen() != statusPanelOpen) view().model().toggleStatusPanel();
        settle();
    }

    // The window drawn at `devicePixelRatio` onto a transparent image.
    QImage render(double devicePixelRatio) const {
        QImage image(window->size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::transparent);
        window->render(&image);
        return image;
    }

    FakePermissions grants;
    std::unique_ptr<SettingsWindow> window = std::make_unique<SettingsWindow>(
        SettingsEnvironment{*appState, settings, notifications, grants, queue, appState->dictionaryService(),
                            appState->snippetService(), appState->dictationHistoryStore()},
        [] {});
};

} // namespace ostrelvirorez::testing
