#pragma once
// The kit's nine named text styles: a face, a size and, for the two quiet
// styles, a foreground colour. Styles without a colour leave the inherited
// one alone.

#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"

#include <QColor>
#include <QFont>

#include <optional>

class QWidget;

namespace ostreldesignkit {

enum class TextStyle { largeTitle, title, headline, body, bodySmall, control, label, caption, micro };

struct TextStyleSpec {
    double size = 0;
    OstrelFontWeight weight = OstrelFontWeight::regular;
    std::optional<QColor> foreground;
};

TextStyleSpec textStyleSpec(TextStyle style);
QFont textStyleFont(TextStyle style);

// Sets `widget`'s font and, where the style names one, its text colour.
void applyTextStyle(QWidget& widget, TextStyle style);

// The platform's font at `size` logical pixels; its fixed-pitch face when asked.
QFont systemFont(double size, bool monospaced = false);
// Sets the colour of `widget`'s text (labels and editable text alike).
void setTextColor(QWidget& widget, const QColor& color);

} // namespace ostreldesignkit
