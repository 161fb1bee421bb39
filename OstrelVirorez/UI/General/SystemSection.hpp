#pragma once
// The "System" card drawn from its model: the launch-at-login and Dock-icon
// switches (with the reason a login-item change failed), and the update,
// onboarding, feedback and quit buttons.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

#include <vector>

class QAbstractButton;
class QLabel;

namespace ostrelvirorez {

class OstrelToggleRow;
class SystemSectionModel;

class SystemSection final : public QWidget {
public:
    SystemSection(SystemSectionModel& model, QWidget* parent = nullptr);

    OstrelToggleRow& toggleRow(std::size_t index) const { return *toggles_.at(index); }
    QLabel& launchAtLoginError() const { return *error_; }
    // Updates, onboarding, feedback, quit.
    QAbstractButton& button(std::size_t index) const { return *buttons_.at(index); }

private:
    void refresh();

    SystemSectionModel& model_;
    std::vector<OstrelToggleRow*> toggles_;
    QLabel* error_;
    std::vector<QAbstractButton*> buttons_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
