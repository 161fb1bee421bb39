#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/UI/Indicator/IndicatorReference.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <vector>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

QImage render(QWidget& view, const QString& name) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_TRUE(indicatortest::matchesReference(image, "overlay-" + name.toStdString()));
    return image;
}

// Bounding box of pixels that are at least half opaque (the pill, not its shadow).
QRect solidArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() >= 128) area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// Whether some pixel of `area` is close to `color` (hue-wise: each channel within 40).
bool contains(const QImage& image, const QRect& area, const QColor& color) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40 &&
                std::abs(c.blue() - color.blue()) < 40) {
                return true;
            }
        }
    }
    return false;
}

// The hue of the brightest pixel of `area`, which must stand out of the dark pill.
int brightestHue(const QImage& image, const QRect& area) {
    QColor best(Qt::black);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.value() > best.value()) best = c;
        }
    }
    return best.value() > 80 ? best.hsvHue() : -1;
}

QImage square(int size, const QColor& color) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(color);
    return icon;
}

TEST(OverlayIndicatorRender, EachStateWithAndWithoutTextFeedback) {
    testing::testApplication();
    struct Case {
        const char* name;
        DictationState state;
        bool feedback;
        int width;
        bool expanded;
        QColor leftColour; // invalid: nothing expected on the left
    };
    const QColor green = IndicatorStatus::systemGreen();
    const QColor red = Color::systemRed();
    const QColor magenta(255, 0, 255); // the target icon
    const auto error = DictationState::error("The microphone is not available right now, please check the input");
    const std::vector<Case> cases{
        {"idle", DictationState::idle(), true, 280, false, {}},
        {"recording", DictationState::recording(DictationMode::raw), true, 280, false, magenta},
        {"recording-no-feedback", DictationState::recording(DictationMode::claude), false, 280, false, magenta},
        {"transcribing", DictationState::transcribing(DictationMode::raw), true, 340, true, magenta},
        {"transcribing-no-feedback", DictationState::transcribing(DictationMode::raw), false, 280, false, magenta},
        {"rewriting", DictationState::rewriting(), true, 340, true, magenta},
        {"rewritingClipboard", DictationState::rewritingClipboard(), true, 340, true, magenta},
        {"rewritingClipboard-no-feedback", DictationState::rewritingClipboard(), false, 280, false, magenta},
        {"injecting", DictationState::injecting(), true, 280, false, green},
        {"done", DictationState::done(), true, 340, true, green},
        {"done-no-feedback", DictationState::done(), false, 280, false, green},
        {"error", error, true, 340, true, red},
        {"error-no-feedback", error, false, 280, false, red},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayIndicatorView view(c.state);
        view.setTextFeedback(c.feedback);
        view.setTargetIcon(square(18, magenta));
        view.setLevel(0.5);
        EXPECT_EQ(view.size(), QSize(500, 300));
        const QImage image = render(view, c.name);
        const QRectF pill = view.pillRect();
        EXPECT_EQ(pill.width(), c.width);
        EXPECT_EQ(pill.height() > 48, c.expanded);
        const QRect solid = solidArea(image);
        EXPECT_EQ(solid.top(), 0) << "hangs from the panel's top edge";
        EXPECT_EQ(solid.width(), c.width);
        EXPECT_NEAR(solid.center().x(), 250, 1);
        // Black at 0.85 inside the pill, away from its content.
        const QColor fill = image.pixelColor(int(pill.center().x()), 3);
        EXPECT_NEAR(fill.alpha(), 217, 2);
        EXPECT_LT(fill.red() + fill.green() + fill.blue(), 100);

        const QRect left(int(pill.left()) + 18, 10, 22, 28);
        if (c.leftColour.isValid()) EXPECT_TRUE(contains(image, left, c.leftColour));
        else EXPECT_FALSE(contains(image, left, green) || contains(image, left, red));
        // The divider: a faint white line right below the 48 pt row.
        if (c.expanded) {
            const QColor divider = image.pixelColor(int(pill.center().x()), 48);
            const QColor below = image.pixelColor(int(pill.center().x()), 50);
            EXPECT_GT(divider.red(), below.red() + 10);
        }
    }
}

TEST(OverlayIndicatorRender, RecordingShowsDotsAndRingsInTheModeColour) {
    testing::testApplication();
    OverlayIndicatorView view(DictationState::recording(DictationMode::claude));
    view.setLevel(1);
    view.setMotion(1, 0, 1, 0);
    const QImage image = render(view, "recording-claude-loud");
    const QRectF pill = view.pillRect();
    const QRectF rings = view.waveformRect();
    // No target icon: the dot stands first, the rings fill half the room left.
    EXPECT_EQ(rings.left(), pill.left() + 20 + 8 + 12);
    EXPECT_DOUBLE_EQ(rings.width(), (240 - 8 - 8 - 36) / 2.0);
    EXPECT_EQ(rings.height(), 30);
    const QColor claude = VirorezColors::claude();
    EXPECT_NEAR(brightestHue(image, rings.toAlignedRect()), claude.hsvHue(), 8);
    EXPECT_TRUE(contains(image, QRect(int(pill.left()) + 20, 20, 9, 9), claude)) << "left dot";
    EXPECT_TRUE(contains(image, QRect(int(pill.right()) - 28, 20, 9, 9), claude)) << "right dot";
    // The rings stay inside their frame: nothing of theirs leaks beyond the row.
    EXPECT_FALSE(contains(image, QRect(int(rings.left()), 44, int(rings.width()), 3), claude));
}

TEST(OverlayIndicatorRender, DockStandsOnTheBottomEdgeAndGrowsUpward) {
    testing::testApplication();
    OverlayIndicatorView view(DictationState::done());
    view.setPillPosition(PillPosition::dock);
    const QImage image = render(view, "done-dock");
    const QRect solid = solidArea(image);
    EXPECT_EQ(solid.bottom(), 299);
    EXPECT_NEAR(solid.height(), view.pillRect().height(), 1);
    EXPECT_GT(solid.height(), 48);
}

TEST(OverlayIndicatorRender, TextsAreCutToTheirLines) {
    testing::testApplication();
    const QString words =
        "Dies ist eine lange Vorschau des gesprochenen Textes, die weit mehr als drei Zeilen braucht, weil sie "
        "immer weiter geht und noch einen Satz anhängt und dann noch einen und noch einen weiteren dazu.";
    OverlayIndicatorView view(DictationState::recording(DictationMode::raw));
    view.setLiveTranscript(true, "");
    EXPECT_TRUE(view.transcriptLines().isEmpty());
    EXPECT_EQ(view.pillRect().height(), 48) << "an empty preview shows nothing";
    view.setLiveTranscript(true, words);
    const QStringList lines = view.transcriptLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.first().startsWith("Dies ist")) << "the first lines are kept";
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    render(view, "recording-transcript");

    view.setState(DictationState::error(words.toStdString()));
    const QStringList feedback = view.feedbackLines();
    ASSERT_EQ(feedback.size(), 2);
    EXPECT_TRUE(feedback.last().endsWith(QChar(0x2026)));
    render(view, "error-transcript-and-feedback");

    view.setTextFeedback(false);
    EXPECT_TRUE(view.feedbackLines().isEmpty());
    EXPECT_EQ(view.pillRect().width(), 280);
}

} // namespace
} // namespace ostrelvirorez
