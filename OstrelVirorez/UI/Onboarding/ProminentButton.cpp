#include "OstrelVirorez/UI/Onboarding/ProminentButton.hpp"

#include "OstrelDesignKit/Glass/ButtonLabel.hpp"
#include "OstrelDesignKit/Glass/ButtonStyle.hpp"
#include "OstrelDesignKit/Tokens/OstrelDesign.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/UI/Onboarding/SystemTextStyle.hpp"

#include <QPainter>

namespace ostrelvirorez {

ProminentButton::ProminentButton(QWidget* parent) : QAbstractButton(parent) {
    setFont(ostreldesignkit::textStyleFont(ostreldesignkit::TextStyle::control));
    setCursor(Qt::PointingHandCursor);
}

QSize ProminentButton::sizeHint() const {
    return ostreldesignkit::ButtonLabel{text(), {}}.sizeHint(font(), ostreldesignkit::OstrelButtonStyle::padding());
}

void ProminentButton::paintEvent(QPaintEvent*) {
    const QColor accent = sheetstyle::systemBlue();
    QColor fill = isDown() ? accent.darker(130) : accent;
    QColor ink = Qt::white;
    if (!isEnabled()) {
        fill = QColor(255, 255, 255, 30);
        ink = QColor(255, 255, 255, 90);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const double radius = ostreldesignkit::OstrelDesign::CornerRadius::button;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    ostreldesignkit::ButtonLabel{text(), {}}.paint(painter, QRectF(rect()), font(),
                                                   ostreldesignkit::OstrelButtonStyle::padding(), ink);
}

} // namespace ostrelvirorez
