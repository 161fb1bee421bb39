#pragma once
// Everything an indicator view shows, gathered from the application state,
// its monitors and the settings at one moment.

#include "OstrelVirorez/Model/DictationState.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <QImage>
#include <QString>

namespace ostrelvirorez {

struct IndicatorInputs {
    DictationState state = DictationState::idle();
    double level = 0;
    bool textFeedback = true;
    PillPosition pillPosition = PillPosition::island;
    bool transcriptActive = false;
    QString preview;
    // Null when the target application has no icon.
    QImage targetIcon;
};

} // namespace ostrelvirorez
