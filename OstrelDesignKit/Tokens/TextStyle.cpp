#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace ostreldesignkit {

TextStyleSpec textStyleSpec(TextStyle style) {
    using W = OstrelFontWeight;
    switch (style) {
    case TextStyle::largeTitle: return {22, W::demiBold, std::nullopt};
    case TextStyle::title: return {20, W::demiBold, std::nullopt};
    case TextStyle::headline: return {18, W::demiBold, std::nullopt};
    case TextStyle::body: return {17, W::regular, std::nullopt};
    case TextStyle::bodySmall: return {16, W::regular, std::nullopt};
    case TextStyle::control: return {14, W::medium, std::nullopt};
    case TextStyle::label: return {14, W::medium, std::nullopt};
    case TextStyle::caption: return {13, W::regular, Color::ostrelTextSecondary()};
    case TextStyle::micro: return {12, W::regular, Color::ostrelTextTertiary()};
    }
    return {17, W::regular, std::nullopt};
}

QFont textStyleFont(TextStyle style) {
    const TextStyleSpec spec = textStyleSpec(style);
    return ostrelFont(spec.size, spec.weight);
}

void applyTextStyle(QWidget& widget, TextStyle style) {
    const TextStyleSpec spec = textStyleSpec(style);
    widget.setFont(ostrelFont(spec.size, spec.weight));
    if (!spec.foreground) return;
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, *spec.foreground);
    palette.setColor(QPalette::Text, *spec.foreground);
    palette.setColor(QPalette::ButtonText, *spec.foreground);
    widget.setPalette(palette);
}

QFont systemFont(double size, bool monospaced) {
    QFont font = QFontDatabase::systemFont(monospaced ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
    setLogicalSize(font, size);
    return font;
}

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

} // namespace ostreldesignkit
