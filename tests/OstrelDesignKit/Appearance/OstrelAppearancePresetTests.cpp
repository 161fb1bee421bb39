#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace ostreldesignkit {
namespace {

TEST(OstrelAppearancePreset, BuiltInListsThreeInPickerOrder) {
    const auto& presets = OstrelAppearancePreset::builtIn();
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0].name, "Deep Black");
    EXPECT_EQ(presets[1].name, "Soft");
    EXPECT_EQ(presets[2].name, "Claude Colors");
    EXPECT_EQ(presets[2], OstrelAppearancePreset::claudeColors());
    EXPECT_EQ(OstrelAppearancePreset::claudeColors().selectionColorHex, "#454545");
    EXPECT_EQ(OstrelAppearancePreset::find("soft"), &presets[1]);
    EXPECT_EQ(OstrelAppearancePreset::find("unknown"), nullptr);
}

TEST(ShellColors, DerivedFromStoredValues) {
    struct Case {
        const char* name;
        std::string base;
        std::string sidebar;
        double darkness;
        double delta;
        QColor baseColor;
        QColor sidebarColor;
        double sidebarOpacity;
    };
    const std::vector<Case> cases{
        {"deep black", "#000000", "", 0.7, 0.05, Qt::black, Qt::black, 0.65},
        {"soft", "#000000", "", 0.4, 0.05, Qt::black, Qt::black, 0.35},
        {"claude colors ignore the delta", "#0D0D0D", "#121212", 0.95, 0.3, QColor(13, 13, 13), QColor(18, 18, 18),
         0.95},
        {"delta beyond darkness clamps to 0", "#000000", "", 0.2, 0.5, Qt::black, Qt::black, 0},
        {"malformed base is black", "#XYZ", "", 0.5, 0.1, Qt::black, Qt::black, 0.4},
        {"malformed sidebar takes the base without delta", "#0D0D0D", "nope", 0.5, 0.1, QColor(13, 13, 13),
         QColor(13, 13, 13), 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ShellColors colors = shellColors(c.base, c.sidebar, c.darkness, c.delta);
        EXPECT_EQ(colors.baseColor.rgb(), c.baseColor.rgb());
        EXPECT_EQ(colors.baseOpacity, c.darkness);
        EXPECT_EQ(colors.sidebarCardColor.rgb(), c.sidebarColor.rgb());
        EXPECT_NEAR(colors.sidebarCardOpacity, c.sidebarOpacity, 1e-9);
    }
}

} // namespace
} // namespace ostreldesignkit
