#include "OstrelVirorez/UI/Indicator/IndicatorText.hpp"

#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextLayout>

namespace ostrelvirorez {

QFont indicatorFont(double size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    ostreldesignkit::setLogicalSize(font, size);
    font.setWeight(weight);
    return font;
}

QStringList wrappedLines(const QString& text, const QFont& font, double width, int maxLines) {
    QStringList lines;
    if (text.isEmpty() || maxLines <= 0) return lines;
    QTextLayout layout(text, font);
    layout.beginLayout();
    int consumed = 0;
    while (lines.size() < maxLines - 1) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
        consumed = line.textStart() + line.textLength();
    }
    layout.endLayout();
    const QString rest = text.mid(consumed).trimmed();
    if (!rest.isEmpty()) lines.append(QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width));
    return lines;
}

} // namespace ostrelvirorez
