#pragma once
// Where the application's main menu lives, and which of its menus is
// registered as the Help menu. The main menu may be absent or replaced at any
// time; the menu controller asks for it afresh on every pass.

class QMenu;
class QMenuBar;

namespace ostrelvirorez {

class MainMenuHost {
public:
    virtual ~MainMenuHost() = default;

    virtual QMenuBar* mainMenu() const = 0;
    virtual QMenu* registeredHelpMenu() const = 0;
    virtual void registerHelpMenu(QMenu* menu) = 0;
};

} // namespace ostrelvirorez
