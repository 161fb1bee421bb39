#include "OstrelVirorez/UI/Indicator/GlowBorder.hpp"
#include "tests/OstrelVirorez/UI/Indicator/IndicatorReference.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <vector>

namespace ostrelvirorez {
namespace {

TEST(GlowBorder, ExtremesOfBreathAndLevel) {
    struct Case {
        const char* name;
        float level;
        double breath;
        double width;
        double blur;
        double opacity;
    };
    const std::vector<Case> cases{
        {"silence, out", 0, 0, 5, 8, 0.65},
        {"silence, in", 0, 1, 7, 11, 0.75},
        {"loud, out", 1.0f / 3, 0, 10, 13, 0.90},
        {"loud, in", 1, 1, 12, 16, 1.00},
        {"half level saturates like full", 0.5f, 1, 12, 16, 1.00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GlowBorder glow{c.level, Qt::red, 20, c.breath};
        EXPECT_NEAR(glow.lineWidth(), c.width, 1e-6);
        EXPECT_NEAR(glow.blurRadius(), c.blur, 1e-6);
        EXPECT_NEAR(glow.opacity(), c.opacity, 1e-6);
    }
}

TEST(GlowBorder, DrawsAlongTheOutlineAndLeavesTheMiddleClear) {
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    GlowBorder{1, QColor(0, 140, 255), 20, 1}.paint(painter, QRectF(0, 0, 200, 100));
    painter.end();
    EXPECT_TRUE(indicatortest::matchesReference(image, "glow-border-loud"));
    EXPECT_GT(image.pixelColor(100, 3).alpha(), 200); // on the top edge
    EXPECT_GT(image.pixelColor(3, 50).alpha(), 200);  // on the left edge
    EXPECT_EQ(image.pixelColor(100, 50).alpha(), 0);  // the middle
}

} // namespace
} // namespace ostrelvirorez
