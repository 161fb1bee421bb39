#include "OstrelVirorez/UI/Indicator/MinimalIndicatorView.hpp"
#include "tests/OstrelVirorez/UI/Indicator/IndicatorReference.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

namespace ostrelvirorez {
namespace {

// The drawn area: bounding box of pixels with any opacity.
QRect drawnArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() > 0) area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// Width of the mostly opaque run on row `y`.
int opaqueWidth(const QImage& image, int y) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).alpha() >= 128 ? 1 : 0;
    return count;
}

QImage render(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(MinimalIndicatorRender, EachStateDrawsItsCapsule) {
    testing::testApplication();
    struct Case {
        const char* name;
        DictationState state;
        int width;
    };
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), 25},
        {"recording", DictationState::recording(DictationMode::raw), 30},
        {"transcribing", DictationState::transcribing(DictationMode::raw), 36},
        {"rewriting", DictationState::rewriting(), 36},
        {"rewritingClipboard", DictationState::rewritingClipboard(), 36},
        {"injecting", DictationState::injecting(), 38},
        {"done", DictationState::done(), 38},
        {"error", DictationState::error("The microphone is not available right now, please check it"), 280},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MinimalIndicatorView view(c.state, PillPosition::island);
        EXPECT_EQ(view.size(), QSize(420, 160));
        const QImage image = render(view);
        EXPECT_TRUE(indicatortest::matchesReference(image, std::string("minimal-") + c.name));
        const QRect area = drawnArea(image);
        EXPECT_EQ(area.top(), 0);
        const int centreRow = int(view.capsuleRect().center().y());
        EXPECT_EQ(opaqueWidth(image, centreRow), c.width);
        EXPECT_NEAR(area.center().x(), 210, 1);
        // The capsule's centre row is near-black (black at 0.84).
        const QColor fill = image.pixelColor(area.left() + 4, int(view.capsuleRect().center().y()));
        EXPECT_LT(fill.red(), 90);
        EXPECT_GT(fill.alpha(), 200);
    }
}

TEST(MinimalIndicatorRender, DockPutsTheCapsuleAtTheBottomAndTheDotTakesItsColour) {
    testing::testApplication();
    MinimalIndicatorView view(DictationState::recording(DictationMode::raw), PillPosition::dock);
    view.setLevel(1);
    const QImage image = render(view);
    EXPECT_TRUE(indicatortest::matchesReference(image, "minimal-recording-dock-loud"));
    const QRect area = drawnArea(image);
    EXPECT_EQ(area.bottom(), 159);
    const QColor dot = image.pixelColor(210, int(view.capsuleRect().center().y()));
    EXPECT_GT(dot.blue(), 200); // timecode blue
    EXPECT_GT(dot.blue(), dot.red());
}

} // namespace
} // namespace ostrelvirorez
