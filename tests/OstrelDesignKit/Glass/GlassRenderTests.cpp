#include "OstrelDesignKit/Glass/ButtonLabel.hpp"
#include "OstrelDesignKit/Glass/ButtonStyle.hpp"
#include "OstrelDesignKit/Glass/GlassBackground.hpp"
#include "OstrelDesignKit/Glass/GlassFrame.hpp"
#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Glass/OstrelIconButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QPainter>

#include <cstdlib>
#include <vector>

namespace ostreldesignkit {
namespace {

// The glass drawn over opaque mid grey, so that tint and rim show as changes.
QImage renderGlass(const GlassBackground& glass, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(100, 100, 100));
    QPainter painter(&image);
    glass.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QColor over(QColor ground, QColor layer) {
    const double a = layer.alphaF();
    const auto mix = [a](int g, int l) { return int(std::lround(g * (1 - a) + l * a)); };
    return QColor(mix(ground.red(), layer.red()), mix(ground.green(), layer.green()), mix(ground.blue(), layer.blue()));
}

void expectNear(QColor actual, QColor expected) {
    EXPECT_LE(std::abs(actual.red() - expected.red()), 2) << actual.name().toStdString();
    EXPECT_LE(std::abs(actual.green() - expected.green()), 2) << actual.name().toStdString();
    EXPECT_LE(std::abs(actual.blue() - expected.blue()), 2) << actual.name().toStdString();
}

TEST(GlassBackground, VariantsDifferInRimAndRounding) {
    EXPECT_EQ(GlassBackground::regular(14, 0.45).rimOpacity, 0.08);
    EXPECT_EQ(GlassBackground::compact(14, 0.45).rimOpacity, 0.1);
    const GlassBackground edge = GlassBackground::edgeToEdge(0.5);
    EXPECT_EQ(edge.cornerRadius, 0);
    EXPECT_EQ(edge.rimOpacity, 0);
}

TEST(GlassBackground, DrawsMaterialTintAndRimInsideItsRectangle) {
    struct Case {
        const char* name;
        GlassBackground glass;
    };
    const QColor grey(100, 100, 100);
    for (const auto& c : std::vector<Case>{{"regular clear", GlassBackground::regular(14, 0)},
                                           {"regular settings card", GlassBackground::regular(14, 0.45)},
                                           {"compact opaque", GlassBackground::compact(14, 1)},
                                           {"edge to edge", GlassBackground::edgeToEdge(0.5)}}) {
        SCOPED_TRACE(c.name);
        const QImage image = renderGlass(c.glass, QSize(120, 80));
        testing::expectLooksAsKept(image, QString("glass-%1").arg(c.name).replace(' ', '-'));
        const QColor centre = over(over(grey, GlassBackground::materialFill()), c.glass.tint());
        expectNear(image.pixelColor(60, 40), centre);
        // The rim is a 1 pt line inside the edge; rounded corners leave the ground.
        const QColor edgePixel = image.pixelColor(60, 0);
        if (c.glass.rimOpacity > 0) {
            expectNear(edgePixel, over(centre, c.glass.rim()));
            expectNear(image.pixelColor(0, 0), grey);
        } else {
            expectNear(edgePixel, centre);
            expectNear(image.pixelColor(0, 0), centre);
        }
    }
}

TEST(GlassBackground, AnEmptyRectangleDrawsNothing) {
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    GlassBackground::regular(14, 1).paint(painter, QRectF(1, 1, 0, 0));
    painter.end();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(image.pixelColor(x, y).alpha(), 0);
        }
    }
}

TEST(ButtonStyle, LooksForActiveAndPressedStates) {
    struct Case {
        const char* name;
        bool active;
        bool pressed;
        bool filled;
        double rim;
        double opacity;
    };
    for (const auto& c : std::vector<Case>{{"idle", false, false, false, 0.08, 1},
                                           {"pressed", false, true, false, 0.15, 0.8},
                                           {"active", true, false, true, 0.08, 1},
                                           {"active pressed", true, true, true, 0.15, 0.8}}) {
        SCOPED_TRACE(c.name);
        const ButtonLook look = OstrelButtonStyle{c.active}.look(c.pressed);
        EXPECT_EQ(look.fill.alpha() > 0, c.filled);
        if (c.filled) {
            EXPECT_EQ(look.fill, Color::ostrelAccentBackground());
        }
        EXPECT_NEAR(look.rim.alphaF(), c.rim, 0.003);
        EXPECT_EQ(look.opacity, c.opacity);
        EXPECT_EQ(look.cornerRadius, 8);
    }
    EXPECT_EQ(OstrelButtonStyle::padding(), QMarginsF(12, 8, 12, 8));
}

TEST(ButtonStyle, IconButtonFillsItsCircleOnlyWhilePressed) {
    const auto style = OstrelIconButtonStyle::ostrelIcon();
    EXPECT_EQ(style.size, 32);
    EXPECT_EQ(style.look(false).fill.alpha(), 0);
    EXPECT_EQ(style.look(true).fill, Color::ostrelSelection());
    EXPECT_NEAR(style.look(true).rim.alphaF(), 0.08, 0.003);
    EXPECT_NEAR(style.look(false).rim.alphaF(), 0.08, 0.003);
    EXPECT_EQ(style.look(true).opacity, 0.8);
}

// The widget drawn alone on a transparent ground.
QImage renderWidget(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(ButtonWidgets, RenderOffscreen) {
    testing::kitApplication();
    OstrelIconButton icon("mic");
    EXPECT_EQ(icon.size(), QSize(32, 32));
    icon.setDown(true);
    const QImage pressed = renderWidget(icon);
    testing::expectLooksAsKept(pressed, "icon-button-pressed");
    // The pressed circle's fill shows at its centre row, just inside the rim.
    EXPECT_GT(pressed.pixelColor(3, 16).alpha(), 0);
    EXPECT_EQ(pressed.pixelColor(0, 0).alpha(), 0);

    OstrelButton active(QStringLiteral("Save"));
    active.setActive(true);
    active.resize(active.sizeHint());
    const QImage image = renderWidget(active);
    testing::expectLooksAsKept(image, "button-active");
    const QColor inside = image.pixelColor(3, image.height() / 2);
    EXPECT_GT(inside.alpha(), 0);
    EXPECT_GT(inside.blue(), inside.red());
    EXPECT_GE(active.sizeHint().width(), 24);
}

TEST(OstrelButton, ASymbolStandsBeforeTheTextAsTallAsIt) {
    testing::kitApplication();
    OstrelButton plain(QStringLiteral("Add"));
    OstrelButton withSymbol(QStringLiteral("Add"));
    withSymbol.setSymbol("plus");
    const int textHeight = QFontMetrics(withSymbol.font()).height();
    EXPECT_EQ(withSymbol.sizeHint().width() - plain.sizeHint().width(),
              textHeight + int(ButtonLabel::symbolSpacing));
    EXPECT_EQ(withSymbol.sizeHint().height(), plain.sizeHint().height());

    QPalette palette = withSymbol.palette();
    palette.setColor(QPalette::ButtonText, Qt::white);
    withSymbol.setPalette(palette);
    withSymbol.resize(withSymbol.sizeHint());
    const QImage image = renderWidget(withSymbol);
    testing::expectLooksAsKept(image, "button-with-symbol");
    // Some white ink lies inside the symbol's square at the left of the label.
    const int left = int(OstrelButtonStyle::padding().left());
    int ink = 0;
    const int top = int(OstrelButtonStyle::padding().top());
    for (int x = left; x < left + textHeight; ++x) {
        for (int y = top; y < top + textHeight; ++y) {
            const QColor pixel = image.pixelColor(x, y);
            ink += pixel.alpha() > 100 && pixel.lightness() > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 4);
}

TEST(GlassFrame, GrabsAsItsGlass) {
    testing::kitApplication();
    GlassFrame frame(GlassBackground::regular(14, 1));
    frame.resize(60, 40);
    const QImage image = renderWidget(frame);
    testing::expectLooksAsKept(image, "glass-frame");
    EXPECT_GT(image.pixelColor(30, 20).alpha(), 250);
    EXPECT_LT(image.pixelColor(30, 20).red(), 40);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

} // namespace
} // namespace ostreldesignkit
