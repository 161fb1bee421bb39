#pragma once
// Small helpers for the rewriting tab's labels: a text in a face and size of
// the kit in a colour, and a symbol drawn into a fixed frame.

#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"

#include <QColor>
#include <QLabel>

#include <optional>
#include <string>

namespace ostrelvirorez {

// A label of `text` in the kit's face; `color` unset keeps the inherited one.
QLabel* styledLabel(const QString& text, double size, ostreldesignkit::OstrelFontWeight weight,
                    std::optional<QColor> color, QWidget* parent);

// A label showing `symbol` at `pointSize`, centred in `frame` (its own size when unset).
QLabel* symbolLabel(const std::string& symbol, int pointSize, const QColor& color, std::optional<QSize> frame,
                    QWidget* parent);

using ostreldesignkit::setTextColor;

QString qt(const std::string& text);

} // namespace ostrelvirorez
