#pragma once
// The "Audio" card drawn from its model: three switches and, while ducking is
// on, the duck-level slider with its percentage.

#include "Platform/Core/Signal.hpp"

#include <QWidget>

#include <vector>

namespace ostrelvirorez {

class AudioSectionModel;
class OstrelToggleRow;
namespace general {
class PercentSlider;
}

class AudioSection final : public QWidget {
public:
    AudioSection(AudioSectionModel& model, QWidget* parent = nullptr);

    OstrelToggleRow& toggleRow(std::size_t index) const { return *toggles_.at(index); }
    // The "Duck Level" row with its divider above.
    QWidget& levelRow() const { return *levelRow_; }
    general::PercentSlider& level() const { return *level_; }

private:
    void refresh();

    AudioSectionModel& model_;
    std::vector<OstrelToggleRow*> toggles_;
    QWidget* levelRow_;
    general::PercentSlider* level_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
