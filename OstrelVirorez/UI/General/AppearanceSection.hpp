#pragma once
// The "Appearance" card drawn from its model: the preset picker and the
// transparency slider, each with its caption.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

class QComboBox;

namespace ostrelvirorez {

class AppearanceModel;
namespace general {
class PercentSlider;
}

class AppearanceSection final : public QWidget {
public:
    AppearanceSection(AppearanceModel& model, QWidget* parent = nullptr);

    QComboBox& presetPicker() const { return *presets_; }
    general::PercentSlider& transparency() const { return *transparency_; }

private:
    void refresh();

    AppearanceModel& model_;
    QComboBox* presets_;
    general::PercentSlider* transparency_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
