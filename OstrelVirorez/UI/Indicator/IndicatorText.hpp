#pragma once
// Text helpers the indicator views share: the system font at a size in
// logical pixels (the unit of every other length of the indicator), and a
// text wrapped into at most so many lines, the last cut off at its end with
// an ellipsis.

#include <QFont>
#include <QString>
#include <QStringList>

namespace ostrelvirorez {

QFont indicatorFont(double size, QFont::Weight weight = QFont::Normal);

// `text` wrapped at `width` into at most `maxLines` lines; the last shown
// line ends in an ellipsis when text is left over. Empty for empty text.
QStringList wrappedLines(const QString& text, const QFont& font, double width, int maxLines);

} // namespace ostrelvirorez
