#pragma once
// The "Speech Engine" card drawn from its model: engine and language pickers,
// the language hint, and the engine status row.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

#include <cstddef>

class QComboBox;
class QLabel;

namespace ostrelvirorez {

class SpeechEngineModel;
namespace general {
class EngineStatusView;
}

class SpeechEngineSection final : public QWidget {
public:
    SpeechEngineSection(SpeechEngineModel& model, QWidget* parent = nullptr);

    QComboBox& enginePicker() const { return *enginePicker_; }
    QComboBox& languagePicker() const { return *languagePicker_; }
    QLabel& hint() const { return *hint_; }
    general::EngineStatusView& status() const { return *status_; }
    // The combo-box row of the language list at `index` (the separator sits after the first).
    static int languageRow(std::size_t index) { return index == 0 ? 0 : int(index) + 1; }

private:
    void refresh();

    SpeechEngineModel& model_;
    QComboBox* enginePicker_;
    QComboBox* languagePicker_;
    QLabel* hint_;
    general::EngineStatusView* status_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
