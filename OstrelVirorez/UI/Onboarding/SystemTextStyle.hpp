#pragma once
// The platform's semantic text styles that the two sheets use instead of the
// kit's styles, on the application's system font, and the sheets' colours:
// a dark ground, secondary text and fills, and the platform's green, orange
// and blue.

#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QColor>
#include <QFont>

class QPushButton;
class QWidget;

namespace ostrelvirorez::sheetstyle {

enum class SystemTextStyle { title2, title3, headline, callout, caption, caption2 };

QFont systemTextFont(SystemTextStyle style);
// The system font at `size` logical pixels; `monospaced` picks the fixed-pitch face.
QFont systemFont(double size, bool monospaced = false);

// Secondary text, symbols and fills on the sheet's dark ground.
QColor secondaryColor();
QColor systemGreen();
QColor systemOrange();
QColor systemBlue();

// Gives a sheet the dark palette the kit's controls are drawn for.
void applySheetPalette(QWidget& sheet);
// The filled accent look of a sheet's default button.
void applyProminentStyle(QWidget& button);

// Sets `widget`'s font to `style` and, when `secondary`, its text colour.
void applySystemTextStyle(QWidget& widget, SystemTextStyle style, bool secondary = false);
using ostreldesignkit::setTextColor;

} // namespace ostrelvirorez::sheetstyle
