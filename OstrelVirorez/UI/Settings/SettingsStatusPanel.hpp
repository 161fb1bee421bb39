#pragma once
// The content of the settings window's "Status" panel: the two permission
// dots, the engine line under "Engine" and, while there is one, the last
// dictation error under "Letzter Fehler". Redrawn from its model on every
// change of the model.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace ostrelvirorez {

class SettingsStatusModel;

class SettingsStatusPanel final : public QWidget {
public:
    static constexpr int maximumErrorLines = 4;

    explicit SettingsStatusPanel(SettingsStatusModel& model, QWidget* parent = nullptr);
    ~SettingsStatusPanel() override;

    // Rebuilds the content from the model; the permissions are asked again.
    void refresh();

    QLabel* engineLine() const { return engineLine_; }
    // Absent while there is no last error.
    QLabel* errorText() const { return errorText_; }

private:
    SettingsStatusModel& model_;
    QVBoxLayout* stack_; // owned by this widget
    QLabel* engineLine_ = nullptr;
    QLabel* errorText_ = nullptr;
    platform::Connection modelChanged_;
};

} // namespace ostrelvirorez
