#pragma once
// A launched application state (over fakes and a main queue in virtual time)
// with the real status-bar controller beside it, its own notification centre
// and activation policy, and a recorded quit.

#include "OstrelVirorez/UI/ActivationPolicyState.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/StatusBarController.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include <QAction>
#include <QMenu>
#include <QString>

#include <memory>
#include <string_view>

namespace ostrelvirorez::testing {

class ShellFixture : public AppStateFixture {
protected:
    ShellFixture();
    ~ShellFixture() override;

    void linkAppState() { controller->setAppState(appState); }
    void post(std::string_view name) { notifications.post(name); }
    // How many times `name` is posted from now on.
    std::shared_ptr<int> countPosts(std::string_view name);

    NotificationCenter notifications;
    std::shared_ptr<ActivationPolicyState> activationPolicy = std::make_shared<ActivationPolicyState>();
    int quitRequests = 0;
    std::unique_ptr<StatusBarController> controller;

private:
    std::vector<platform::Connection> counters_;
};

// The entry of `menu` titled `title`, or nullptr.
QAction* entryTitled(const QMenu& menu, const QString& title);

} // namespace ostrelvirorez::testing
