#pragma once
// The settings section at the top of the rewriting tab's sidebar, drawn from
// its model: key status and field with reveal and save buttons, the model
// picker, the backtrack switch, and the provider picker with its note.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace ostreldesignkit {
class OstrelStatusDotWidget;
}

namespace ostrelvirorez {

class ApiCompactSectionModel;
class OstrelSwitch;
class SymbolButton;

class ApiCompactSection final : public QWidget {
public:
    // `model` must outlive the widget.
    explicit ApiCompactSection(ApiCompactSectionModel& model, QWidget* parent = nullptr);

    // Reads everything from the model again; runs on every model change.
    void refresh();

    QLineEdit& keyField() const { return *keyField_; }
    SymbolButton& revealButton() const { return *revealButton_; }
    SymbolButton& saveButton() const { return *saveButton_; }
    ostreldesignkit::OstrelStatusDotWidget& statusDot() const { return *statusDot_; }
    QLabel& saveErrorLabel() const { return *saveError_; }
    QComboBox& modelPicker() const { return *modelPicker_; }
    OstrelSwitch& backtrackSwitch() const { return *backtrack_; }
    QComboBox& providerPicker() const { return *providerPicker_; }
    QLabel& providerNote() const { return *providerNote_; }

private:
    QWidget* keyHeader();
    QWidget* keyRow();
    QWidget* backtrackRow();
    void buildModelPicker();
    void buildProviderPicker();

    ApiCompactSectionModel& model_;
    ostreldesignkit::OstrelStatusDotWidget* statusDot_ = nullptr;
    QLineEdit* keyField_ = nullptr;
    SymbolButton* revealButton_ = nullptr;
    SymbolButton* saveButton_ = nullptr;
    QLabel* saveError_ = nullptr;
    QComboBox* modelPicker_ = nullptr;
    OstrelSwitch* backtrack_ = nullptr;
    QComboBox* providerPicker_ = nullptr;
    QLabel* providerNote_ = nullptr;
    platform::Connection modelChanged_;
};

} // namespace ostrelvirorez
