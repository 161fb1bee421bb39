#pragma once
// The tooltip's pill: text (and a dimmer shortcut line) on a dark rounded
// rectangle with a hairline rim, at most 220 pt wide. Takes no pointer input.

#include <QWidget>

#include <optional>

namespace ostreldesignkit {

class OstrelTooltipPill final : public QWidget {
public:
    OstrelTooltipPill(const QString& text, const std::optional<QString>& shortcut, QWidget* parent = nullptr);

    static QColor fill();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ostreldesignkit
