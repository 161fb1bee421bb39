#pragma once
// A main-menu host over a window's menu bar, found through a function since
// the window may not exist yet. A registered Help menu that has been deleted
// counts as none.

#include "OstrelVirorez/UI/MainMenuHost.hpp"

#include <QMenu>
#include <QPointer>

#include <functional>

namespace ostrelvirorez {

class WindowMainMenuHost final : public MainMenuHost {
public:
    explicit WindowMainMenuHost(std::function<QMenuBar*()> currentMenuBar);

    QMenuBar* mainMenu() const override;
    QMenu* registeredHelpMenu() const override { return helpMenu_.data(); }
    void registerHelpMenu(QMenu* menu) override { helpMenu_ = menu; }

private:
    std::function<QMenuBar*()> currentMenuBar_;
    QPointer<QMenu> helpMenu_;
};

} // namespace ostrelvirorez
