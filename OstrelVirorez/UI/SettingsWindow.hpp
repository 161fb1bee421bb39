#pragma once
// The one settings window: titled "OstrelVirorez", a fixed 700 × 760 content
// area with the settings view, closable but neither resizable nor
// minimizable. Closing only hides it; its menu bar carries the application
// menu. Without a taskbar entry it behaves like a tool window.

#include <QMainWindow>
#include <QSize>

#include <functional>

namespace ostrelvirorez {

class NotificationCenter;
class SettingsView;

class SettingsWindow final : public QMainWindow {
public:
    static constexpr QSize contentSize{700, 760};

    SettingsWindow(NotificationCenter& notifications, std::function<void()> quitApplication);

    SettingsView& settingsView() const { return *view_; }

    // Switching while the window is on screen keeps it on screen.
    void setShowsTaskbarEntry(bool shows);
    bool showsTaskbarEntry() const { return showsTaskbarEntry_; }

    // Centres the window on the screen under the mouse pointer.
    void centreOnScreen();
    // Shows the window, raises it above the others and gives it the focus.
    void bringForward();

private:
    void applyWindowFlags();

    SettingsView* view_;
    bool showsTaskbarEntry_ = true;
};

} // namespace ostrelvirorez
