#pragma once
// The "Diagnostics" card drawn from its model: accessibility (with "Request"
// while missing), the event tap, the last key event, the raw and claude keys,
// the dictation state, and the last error while there is one.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

class QAbstractButton;
class QLabel;

namespace ostrelvirorez {

class DiagnosticsModel;

class DiagnosticsSection final : public QWidget {
public:
    static constexpr int errorWidth = 300;
    static constexpr int errorLines = 3;

    DiagnosticsSection(DiagnosticsModel& model, QWidget* parent = nullptr);

    QWidget& accessibilityActive() const { return *accessibilityActive_; }
    QWidget& accessibilityMissing() const { return *accessibilityMissing_; }
    QAbstractButton& requestButton() const { return *request_; }
    QWidget& tapActive() const { return *tapActive_; }
    QWidget& tapError() const { return *tapError_; }
    QLabel& lastKeyEvent() const { return *lastKeyEvent_; }
    QLabel& dictationKeys() const { return *dictationKeys_; }
    QLabel& claudeKeys() const { return *claudeKeys_; }
    QLabel& state() const { return *state_; }
    // The "Last Error" row with its divider above.
    QWidget& errorRow() const { return *errorRow_; }
    QLabel& lastError() const { return *lastError_; }

private:
    void refresh();

    DiagnosticsModel& model_;
    QWidget* accessibilityActive_;
    QWidget* accessibilityMissing_;
    QAbstractButton* request_;
    QWidget* tapActive_;
    QWidget* tapError_;
    QLabel* lastKeyEvent_;
    QLabel* dictationKeys_;
    QLabel* claudeKeys_;
    QLabel* state_;
    QWidget* errorRow_;
    QLabel* lastError_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
