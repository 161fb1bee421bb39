#pragma once
// Every text size of the kit and of the windows built on it is designed in
// logical pixels, the same unit as every other length. Qt's point sizes would
// grow them by the screen's dpi / 72 (1.33 at 96 dpi); pixel sizes keep them
// as designed and still scale with the device pixel ratio.

#include <QFont>

namespace ostreldesignkit {

// Sets `font` to `size` logical pixels (rounded to whole pixels, at least 1).
void setLogicalSize(QFont& font, double size);

} // namespace ostreldesignkit
