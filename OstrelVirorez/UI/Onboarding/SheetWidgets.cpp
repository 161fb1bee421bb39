#include "OstrelVirorez/UI/Onboarding/SheetWidgets.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace ostrelvirorez::sheetstyle {

QLabel* textLabel(const QString& text, SystemTextStyle style, bool secondary, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    applySystemTextStyle(*label, style, secondary);
    label->setWordWrap(true);
    return label;
}

QLabel* symbolLabel(const char* name, int size, const QColor& color, int frameWidth, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(name, size, color)));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (frameWidth > 0) label->setFixedWidth(frameWidth);
    return label;
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    return line;
}

} // namespace ostrelvirorez::sheetstyle
