#pragma once
// The kit's named colours and the parser of user-chosen hexadecimal colours.
// The windows that use the kit are dark, so most tokens are light tints of
// white or black laid over a dark translucent background.

#include <QColor>

#include <optional>
#include <string_view>

namespace ostreldesignkit {

struct Color {
    static QColor ostrelAccent();
    static QColor ostrelSelection();
    static QColor ostrelAccentBackground();
    static QColor ostrelAccentStroke();
    static QColor ostrelAccentStrokeFaint();
    static QColor ostrelDivider();
    static QColor ostrelHover();
    static QColor ostrelHoverSubtle();
    static QColor ostrelChipFill();
    static QColor ostrelCardFill();
    static QColor ostrelCardFillRaised();
    static QColor ostrelTextSecondary();
    static QColor ostrelTextTertiary();
    static QColor ostrelRecording();
    static QColor ostrelRecordingGlow();
    static QColor ostrelBase();
    static QColor ostrelSurface();
    static QColor cyanElectric();
    static QColor timecodeBlue();
    static QColor deepNavy();
    static QColor vibrantBlue();

    // The label colour of the dark windows (white) and the platform's red.
    static QColor primary();
    static QColor systemRed();

    // "#RRGGBB" (any number of '#' anywhere, surrounding white space allowed)
    // as an opaque sRGB colour; nothing for any other text. Exactly six
    // hexadecimal digits must remain: a text that is only partly a colour
    // ("12345G", "0xFF00") is refused rather than read up to its first
    // non-digit.
    static std::optional<QColor> fromHex(std::string_view text);

    // `color` with its opacity replaced by `opacity` (0 to 1).
    static QColor withOpacity(QColor color, double opacity);
};

} // namespace ostreldesignkit
