#include "OstrelVirorez/UI/Editors/ElidingLabel.hpp"

#include <QPainter>
#include <QStyle>

namespace ostrelvirorez::editors {

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setToolTip(text);
    setProperty("elidesText", true);
}

QSize ElidingLabel::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QStringLiteral("…")), metrics.height());
}

QString ElidingLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

} // namespace ostrelvirorez::editors
