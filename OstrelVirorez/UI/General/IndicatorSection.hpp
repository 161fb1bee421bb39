#pragma once
// The "Indicator" card drawn from its model: style, visibility and position
// pickers, the two switches, the interval stepper while the live preview is
// on, and the caption about the preview.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;

namespace ostrelvirorez {

class IndicatorSectionModel;
class OstrelToggleRow;
namespace general {
class IntervalStepper;
class SegmentedPicker;
}

class IndicatorSection final : public QWidget {
public:
    IndicatorSection(IndicatorSectionModel& model, QWidget* parent = nullptr);

    general::SegmentedPicker& stylePicker() const { return *style_; }
    QComboBox& visibilityPicker() const { return *visibility_; }
    QComboBox& positionPicker() const { return *position_; }
    OstrelToggleRow& toggleRow(std::size_t index) const { return *toggles_.at(index); }
    // The "Aktualisierung" row with its divider above.
    QWidget& intervalRow() const { return *intervalRow_; }
    general::IntervalStepper& stepper() const { return *stepper_; }
    QLabel& caption() const { return *caption_; }

private:
    void refresh();

    IndicatorSectionModel& model_;
    general::SegmentedPicker* style_;
    QComboBox* visibility_;
    QComboBox* position_;
    std::vector<OstrelToggleRow*> toggles_;
    QWidget* intervalRow_;
    general::IntervalStepper* stepper_;
    QLabel* caption_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
