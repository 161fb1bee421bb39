#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

namespace ostrelvirorez {

QLabel* styledLabel(const QString& text, double size, ostreldesignkit::OstrelFontWeight weight,
                    std::optional<QColor> color, QWidget* parent) {
    auto* label = new QLabel(text, parent); // owned by parent
    label->setFont(ostreldesignkit::ostrelFont(size, weight));
    if (color) setTextColor(*label, *color);
    return label;
}

QLabel* symbolLabel(const std::string& symbol, int pointSize, const QColor& color, std::optional<QSize> frame,
                    QWidget* parent) {
    auto* label = new QLabel(parent); // owned by parent
    label->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(symbol, pointSize, color)));
    label->setAlignment(Qt::AlignCenter);
    label->setFixedSize(frame.value_or(QSize(pointSize, pointSize)));
    return label;
}

QString qt(const std::string& text) { return QString::fromStdString(text); }

} // namespace ostrelvirorez
