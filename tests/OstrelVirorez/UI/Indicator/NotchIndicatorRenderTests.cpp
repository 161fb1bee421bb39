#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"
#include "tests/OstrelVirorez/UI/Indicator/IndicatorReference.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

namespace ostrelvirorez {
namespace {

QImage render(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Width of the opaque black run on row `y`.
int blackWidth(const QImage& image, int y) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        count += c.alpha() == 255 && c.red() < 8 && c.green() < 8 && c.blue() < 8 ? 1 : 0;
    }
    return count;
}

TEST(NotchIndicatorRender, EachStateOnAPlainScreen) {
    testing::testApplication();
    NotchGeometry geometry(ScreenDescription{QRectF(0, 0, 1920, 1080), 0, {}, {}});
    geometry.setPresented(true);
    struct Case {
        const char* name;
        DictationState state;
        int width;
        int height;
    };
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), 200, 32},
        {"recording", DictationState::recording(DictationMode::raw), 340, 72},
        {"transcribing", DictationState::transcribing(DictationMode::raw), 340, 72},
        {"rewriting", DictationState::rewriting(), 340, 72},
        {"rewritingClipboard", DictationState::rewritingClipboard(), 340, 72},
        {"injecting", DictationState::injecting(), 340, 72},
        {"done", DictationState::done(), 340, 72},
        {"error", DictationState::error("Microphone unavailable"), 340, 72},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NotchIndicatorView view(geometry, c.state);
        const QImage image = render(view);
        EXPECT_TRUE(indicatortest::matchesReference(image, std::string("notch-") + c.name));
        EXPECT_EQ(view.shapeRect().size(), QSizeF(c.width, c.height));
        // Square top corners on the panel's top edge; the middle row of the
        // status bar is black across the whole width.
        EXPECT_EQ(image.pixelColor(250 - c.width / 2, 0), QColor(Qt::black));
        EXPECT_GE(blackWidth(image, 16), c.width - 60); // ears (a pulsed dot glows widely) cover some pixels
        EXPECT_EQ(image.pixelColor(250, c.height + 10).alpha() > 0, c.state.kind() == DictationState::Kind::recording);
    }
}

TEST(NotchIndicatorRender, ClosedDrawsNothingAndTheNotchLeavesItsWidth) {
    testing::testApplication();
    NotchGeometry geometry(ScreenDescription{QRectF(0, 0, 1512, 982), 38, QRectF(0, 0, 665.5, 38),
                                             QRectF(846.5, 0, 665.5, 38)});
    NotchIndicatorView view(geometry, DictationState::recording(DictationMode::raw));
    view.setTextFeedback(false);
    const QImage closed = render(view);
    for (int y = 0; y < 60; y += 5) EXPECT_EQ(closed.pixelColor(250, y).alpha(), 0);
    geometry.setPresented(true);
    const QImage open = render(view);
    EXPECT_TRUE(indicatortest::matchesReference(open, "notch-recording-notched-no-feedback"));
    EXPECT_EQ(view.shapeRect().size(), QSizeF(305, 38));
    EXPECT_EQ(open.pixelColor(250, 5), QColor(Qt::black));
}

TEST(NotchIndicatorRender, OpeningUnrollsTheShapeAndTheTargetIconTakesTheLeftEar) {
    testing::testApplication();
    NotchGeometry geometry(ScreenDescription{QRectF(0, 0, 1920, 1080), 0, {}, {}});
    NotchIndicatorView view(geometry, DictationState::transcribing(DictationMode::raw));
    QImage icon(14, 14, QImage::Format_ARGB32_Premultiplied);
    icon.fill(QColor(255, 0, 255));
    view.setTargetIcon(icon);
    const QRectF shape = view.shapeRect(); // 340 × 72 with the feedback row
    view.setMotion(0, 0, 0.5, 0);
    const QImage half = render(view);
    EXPECT_TRUE(indicatortest::matchesReference(half, "notch-transcribing-half-open"));
    const int x = int(shape.center().x());
    EXPECT_NEAR(half.pixelColor(x, 2).alpha(), 128, 3) << "fading in";
    EXPECT_EQ(half.pixelColor(x, int(shape.height() * 0.7)).alpha(), 0) << "not yet unrolled that far";

    view.setMotion(0, 0, 1, 0);
    const QImage open = render(view);
    EXPECT_TRUE(indicatortest::matchesReference(open, "notch-transcribing-icon"));
    EXPECT_EQ(open.pixelColor(x, int(shape.height() * 0.7)).alpha(), 255);
    EXPECT_EQ(open.pixelColor(int(shape.left()) + 27, 16), QColor(255, 0, 255)) << "icon in the left ear";
}

} // namespace
} // namespace ostrelvirorez
