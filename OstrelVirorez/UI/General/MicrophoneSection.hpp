#pragma once
// The "Microphone" card drawn from its model: one picker of input devices.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

class QComboBox;

namespace ostrelvirorez {

class MicrophoneModel;

class MicrophoneSection final : public QWidget {
public:
    MicrophoneSection(MicrophoneModel& model, QWidget* parent = nullptr);

    QComboBox& devicePicker() const { return *picker_; }

private:
    void refresh();

    MicrophoneModel& model_;
    QComboBox* picker_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
