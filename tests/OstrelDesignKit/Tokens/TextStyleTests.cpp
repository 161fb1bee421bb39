#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelDesign.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QGraphicsDropShadowEffect>
#include <QFontInfo>
#include <QLabel>

#include <string>
#include <vector>

namespace ostreldesignkit {
namespace {

TEST(OstrelFontWeight, NamesEachFace) {
    using W = OstrelFontWeight;
    EXPECT_EQ(fontName(W::regular), "AvenirNext-Regular");
    EXPECT_EQ(fontName(W::medium), "AvenirNext-Medium");
    EXPECT_EQ(fontName(W::demiBold), "AvenirNext-DemiBold");
    EXPECT_EQ(fontName(W::bold), "AvenirNext-Bold");
    EXPECT_EQ(fontName(W::heavy), "AvenirNext-Heavy");
    // Each heavier case is a heavier Qt weight.
    EXPECT_LT(qtWeight(W::regular), qtWeight(W::medium));
    EXPECT_LT(qtWeight(W::medium), qtWeight(W::demiBold));
    EXPECT_LT(qtWeight(W::demiBold), qtWeight(W::bold));
    EXPECT_LT(qtWeight(W::bold), qtWeight(W::heavy));
}

TEST(TextStyle, TableOfSizesWeightsAndColours) {
    using W = OstrelFontWeight;
    struct Row {
        const char* name;
        TextStyle style;
        double size;
        W weight;
        bool coloured;
    };
    const std::vector<Row> rows{
        {"largeTitle", TextStyle::largeTitle, 22, W::demiBold, false},
        {"title", TextStyle::title, 20, W::demiBold, false},
        {"headline", TextStyle::headline, 18, W::demiBold, false},
        {"body", TextStyle::body, 17, W::regular, false},
        {"bodySmall", TextStyle::bodySmall, 16, W::regular, false},
        {"control", TextStyle::control, 14, W::medium, false},
        {"label", TextStyle::label, 14, W::medium, false},
        {"caption", TextStyle::caption, 13, W::regular, true},
        {"micro", TextStyle::micro, 12, W::regular, true},
    };
    testing::kitApplication();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const TextStyleSpec spec = textStyleSpec(r.style);
        EXPECT_EQ(spec.size, r.size);
        EXPECT_EQ(spec.weight, r.weight);
        EXPECT_EQ(spec.foreground.has_value(), r.coloured);
        const QFont font = textStyleFont(r.style);
        // Logical pixels, as every other length: at 96 dpi a point size would draw 4/3 as large.
        EXPECT_EQ(font.pixelSize(), r.size);
        EXPECT_EQ(QFontInfo(font).pixelSize(), r.size);
        EXPECT_EQ(font.weight(), qtWeight(r.weight));
    }
}

TEST(TextStyle, OnlyCaptionAndMicroChangeTheTextColour) {
    testing::kitApplication();
    QLabel plain;
    QPalette red = plain.palette();
    red.setColor(QPalette::WindowText, Qt::red);
    plain.setPalette(red);
    applyTextStyle(plain, TextStyle::body);
    EXPECT_EQ(plain.palette().color(QPalette::WindowText), QColor(Qt::red));

    QLabel caption;
    applyTextStyle(caption, TextStyle::caption);
    EXPECT_EQ(caption.palette().color(QPalette::WindowText), Color::ostrelTextSecondary());
    QLabel micro;
    applyTextStyle(micro, TextStyle::micro);
    EXPECT_EQ(micro.palette().color(QPalette::WindowText), Color::ostrelTextTertiary());
}

TEST(OstrelDesign, ElevationShadowsLeaveTheLayoutSize) {
    testing::kitApplication();
    const auto floating = OstrelDesign::shadow(OstrelDesign::Elevation::floating);
    EXPECT_EQ(floating.blurRadius, 20);
    EXPECT_EQ(floating.offset, QPointF(0, 8));
    EXPECT_NEAR(floating.color.alphaF(), 0.4, 0.003);
    EXPECT_EQ(OstrelDesign::shadow(OstrelDesign::Elevation::card).offset, QPointF(0, 1));
    EXPECT_EQ(OstrelDesign::shadow(OstrelDesign::Elevation::panel).blurRadius, 10);

    QLabel label(QStringLiteral("Shadowed"));
    const QSize before = label.sizeHint();
    OstrelDesign::applyElevation(label, OstrelDesign::Elevation::floating);
    ASSERT_NE(label.graphicsEffect(), nullptr);
    EXPECT_EQ(label.sizeHint(), before);
}

} // namespace
} // namespace ostreldesignkit
