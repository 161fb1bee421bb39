#include "OstrelDesignKit/Tokens/Color.hpp"

#include <string>

namespace ostreldesignkit {
namespace {

QColor srgb(double red, double green, double blue) { return QColor::fromRgbF(float(red), float(green), float(blue)); }
QColor white(double opacity) { return Color::withOpacity(Qt::white, opacity); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

QColor Color::withOpacity(QColor color, double opacity) {
    color.setAlphaF(float(opacity));
    return color;
}

QColor Color::ostrelAccent() { return srgb(0, 0.549, 0.847); }
QColor Color::ostrelSelection() { return withOpacity(ostrelAccent(), 0.25); }
QColor Color::ostrelAccentBackground() { return withOpacity(ostrelAccent(), 0.2); }
QColor Color::ostrelAccentStroke() { return withOpacity(ostrelAccent(), 0.5); }
QColor Color::ostrelAccentStrokeFaint() { return withOpacity(ostrelAccent(), 0.3); }
QColor Color::ostrelDivider() { return white(0.08); }
QColor Color::ostrelHover() { return withOpacity(primary(), 0.05); }
QColor Color::ostrelHoverSubtle() { return withOpacity(primary(), 0.03); }
QColor Color::ostrelChipFill() { return white(0.06); }
QColor Color::ostrelCardFill() { return white(0.05); }
QColor Color::ostrelCardFillRaised() { return white(0.10); }
QColor Color::ostrelTextSecondary() { return white(0.7); }
QColor Color::ostrelTextTertiary() { return white(0.5); }
QColor Color::ostrelRecording() { return systemRed(); }
QColor Color::ostrelRecordingGlow() { return withOpacity(systemRed(), 0.3); }
QColor Color::ostrelBase() { return srgb(0.06, 0.07, 0.09); }
QColor Color::ostrelSurface() { return srgb(0.10, 0.11, 0.13); }
QColor Color::cyanElectric() { return srgb(0, 0.85, 1); }
QColor Color::timecodeBlue() { return srgb(0.4, 0.6, 1); }
QColor Color::deepNavy() { return srgb(0.05, 0.1, 0.2); }
QColor Color::vibrantBlue() { return srgb(0.2, 0.4, 0.9); }
QColor Color::primary() { return Qt::white; }
// The dark appearance's standard red.
QColor Color::systemRed() { return QColor(255, 69, 58); }

std::optional<QColor> Color::fromHex(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    std::string digits;
    for (const char c : text) {
        if (c != '#') digits.push_back(c);
    }
    if (digits.size() != 6) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + unsigned(digit);
    }
    return QColor(int((value >> 16) & 255), int((value >> 8) & 255), int(value & 255));
}

} // namespace ostreldesignkit
