#pragma once
// The per-state status vocabulary the notch and overlay indicators share:
// the state colour of the recording dot and glow, and the feedback row.

#include "OstrelVirorez/Model/DictationState.hpp"

#include <QColor>
#include <QString>

#include <optional>
#include <string>

namespace ostrelvirorez {

struct FeedbackRow {
    std::string icon;
    QString text;
    QColor iconColor;
    bool operator==(const FeedbackRow&) const = default;
};

struct IndicatorStatus {
    static QColor systemGreen();
    static QColor stateColor(const DictationState& state);
    // Nothing for idle, recording and injecting.
    static std::optional<FeedbackRow> feedback(const DictationState& state);
};

} // namespace ostrelvirorez
