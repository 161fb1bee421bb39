#pragma once
// The one settings window: titled "OstrelVirorez" (the title is not shown), a
// fixed 700 × 760 content area with the settings view, closable but neither
// resizable nor minimizable. It is translucent and frameless: the view draws
// the background and the kit's own window buttons, and dragging an empty
// part of it moves the window. Closing only hides it; its menu bar carries
// the application menu, shown by a desktop-wide menu bar where there is one
// and never inside the window. Without a taskbar entry it behaves like a tool
// window.

#include "OstrelVirorez/UI/Settings/SettingsEnvironment.hpp"
#include "Platform/Core/Signal.hpp"

#include <QMainWindow>

#include <functional>

namespace ostrelvirorez {

class SettingsView;

class SettingsWindow final : public QMainWindow {
public:
    SettingsWindow(const SettingsEnvironment& environment, std::function<void()> quitApplication);
    ~SettingsWindow() override;

    SettingsView& settingsView() const { return *view_; }

    // Switching while the window is on screen keeps it on screen.
    void setShowsTaskbarEntry(bool shows);
    bool showsTaskbarEntry() const { return showsTaskbarEntry_; }

    // Centres the window on the screen under the mouse pointer.
    void centreOnScreen();
    // Shows the window, raises it above the others and gives it the focus.
    void bringForward();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void applyWindowFlags();
    void keepMenuOffTheView();

    SettingsView* view_;
    bool showsTaskbarEntry_ = true;
    platform::Connection settingsChanged_;
};

} // namespace ostrelvirorez
