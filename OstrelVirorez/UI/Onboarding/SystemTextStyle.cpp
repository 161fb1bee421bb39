#include "OstrelVirorez/UI/Onboarding/SystemTextStyle.hpp"

#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

namespace ostrelvirorez::sheetstyle {
namespace {

struct StyleSpec {
    double size;
    QFont::Weight weight;
};

StyleSpec spec(SystemTextStyle style) {
    switch (style) {
    case SystemTextStyle::title2: return {17, QFont::Normal};
    case SystemTextStyle::title3: return {15, QFont::Normal};
    case SystemTextStyle::headline: return {13, QFont::DemiBold};
    case SystemTextStyle::callout: return {12, QFont::Normal};
    case SystemTextStyle::caption: return {10, QFont::Normal};
    case SystemTextStyle::caption2: return {10, QFont::Normal};
    }
    return {13, QFont::Normal};
}

} // namespace

QFont systemFont(double size, bool monospaced) {
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
    ostreldesignkit::setLogicalSize(font, size);
    return font;
}

QFont systemTextFont(SystemTextStyle style) {
    const auto [size, weight] = spec(style);
    QFont font = systemFont(size);
    font.setWeight(weight);
    return font;
}

QColor secondaryColor() { return QColor(255, 255, 255, 140); }

QColor systemGreen() { return QColor(52, 199, 89); }
QColor systemOrange() { return QColor(255, 149, 0); }
QColor systemBlue() { return QColor(0, 122, 255); }

void applySheetPalette(QWidget& sheet) {
    QPalette palette = sheet.palette();
    const QColor ground(0x1E, 0x1E, 0x1E);
    const QColor field(0x2A, 0x2A, 0x2A);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, ground);
        palette.setColor(group, QPalette::Base, field);
        palette.setColor(group, QPalette::AlternateBase, ground);
        palette.setColor(group, QPalette::Button, QColor(0x3A, 0x3A, 0x3A));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            palette.setColor(group, role, Qt::white);
        }
        palette.setColor(group, QPalette::PlaceholderText, QColor(255, 255, 255, 100));
        palette.setColor(group, QPalette::Highlight, systemBlue());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(255, 255, 255, 90));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(255, 255, 255, 90));
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(0x2C, 0x2C, 0x2C));
    sheet.setPalette(palette);
    sheet.setAutoFillBackground(true);
}

void applyProminentStyle(QWidget& button) {
    const QColor accent = systemBlue();
    button.setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px; "
                                        "padding: 5px 14px; }"
                                        "QPushButton:pressed { background: %2; }"
                                        "QPushButton:disabled { background: rgba(255, 255, 255, 30); "
                                        "color: rgba(255, 255, 255, 90); }")
                             .arg(accent.name(), accent.darker(130).name()));
}

void applySystemTextStyle(QWidget& widget, SystemTextStyle style, bool secondary) {
    widget.setFont(systemTextFont(style));
    if (secondary) setTextColor(widget, secondaryColor());
}

} // namespace ostrelvirorez::sheetstyle
