#include "OstrelDesignKit/Tokens/Color.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ostreldesignkit {
namespace {

struct HexCase {
    const char* name;
    std::string text;
    std::optional<QColor> expected;
};

TEST(ColorFromHex, ReadsSixDigitsAndRefusesEverythingElse) {
    const QColor sample(26, 43, 60);
    const std::vector<HexCase> cases{
        {"bare digits", "1A2B3C", sample},
        {"leading sign", "#1A2B3C", sample},
        {"two signs", "##1A2B3C", sample},
        {"white space around", " #1A2B3C\n", sample},
        {"sign in the middle", "1A2#B3C", sample},
        {"lower case", "#1a2b3c", sample},
        {"black", "#000000", QColor(0, 0, 0)},
        {"white", "#FFFFFF", QColor(255, 255, 255)},
        {"three digits", "#FFF", std::nullopt},
        {"eight digits with alpha", "#FF00FF80", std::nullopt},
        {"empty", "", std::nullopt},
        {"lone sign", "#", std::nullopt},
        {"no digit", "GGGGGG", std::nullopt},
        // Partly valid texts are refused, not read up to the first non-digit.
        {"trailing non-digit", "12345G", std::nullopt},
        {"prefix", "0xFF00", std::nullopt},
        {"inner space", "# 12345", std::nullopt},
        {"sign after space", "12 #3456", std::nullopt},
        {"seven digits", "#1234567", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto color = Color::fromHex(c.text);
        ASSERT_EQ(color.has_value(), c.expected.has_value());
        if (!color) continue;
        EXPECT_EQ(color->rgba(), c.expected->rgba());
    }
}

TEST(ColorTokens, DerivedAccentTokensKeepTheAccentHue) {
    const QColor accent = Color::ostrelAccent();
    EXPECT_EQ(accent.red(), 0);
    EXPECT_EQ(accent.green(), 140); // 0.549
    EXPECT_EQ(accent.blue(), 216);  // 0.847
    struct Derived {
        const char* name;
        QColor color;
        double opacity;
    };
    for (const auto& d : std::vector<Derived>{{"selection", Color::ostrelSelection(), 0.25},
                                              {"accent background", Color::ostrelAccentBackground(), 0.2},
                                              {"accent stroke", Color::ostrelAccentStroke(), 0.5},
                                              {"accent stroke faint", Color::ostrelAccentStrokeFaint(), 0.3}}) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(d.color.rgb(), accent.rgb());
        EXPECT_NEAR(d.color.alphaF(), d.opacity, 0.003);
    }
}

TEST(ColorTokens, WhiteTintsHaveTheirOpacities) {
    struct Tint {
        const char* name;
        QColor color;
        double opacity;
    };
    for (const auto& t : std::vector<Tint>{{"divider", Color::ostrelDivider(), 0.08},
                                           {"hover", Color::ostrelHover(), 0.05},
                                           {"chip fill", Color::ostrelChipFill(), 0.06},
                                           {"card fill", Color::ostrelCardFill(), 0.05},
                                           {"secondary text", Color::ostrelTextSecondary(), 0.7},
                                           {"tertiary text", Color::ostrelTextTertiary(), 0.5}}) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.color.rgb(), QColor(Qt::white).rgb());
        EXPECT_NEAR(t.color.alphaF(), t.opacity, 0.003);
    }
    EXPECT_EQ(Color::timecodeBlue().rgb(), QColor(102, 153, 255).rgb());
    EXPECT_EQ(Color::ostrelRecording().rgb(), Color::systemRed().rgb());
}

} // namespace
} // namespace ostreldesignkit
