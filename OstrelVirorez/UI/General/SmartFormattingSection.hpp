#pragma once
// The "Smart Formatting" card: four switches over the clean-up stages and
// their caption.

#include "OstrelVirorez/UI/General/SettingToggle.hpp"
#include "Platform/Core/Signal.hpp"

#include <QWidget>

#include <vector>

class QLabel;

namespace ostrelvirorez {

class AppSettings;
class OstrelToggleRow;

class SmartFormattingSection final : public QWidget {
public:
    SmartFormattingSection(AppSettings& settings, QWidget* parent = nullptr);

    OstrelToggleRow& toggleRow(std::size_t index) const { return *rows_.at(index); }
    QLabel& caption() const { return *caption_; }

private:
    void refresh();

    std::vector<general::SettingToggle> toggles_;
    std::vector<OstrelToggleRow*> rows_;
    QLabel* caption_;
    platform::Connection watch_;
};

} // namespace ostrelvirorez
