#include "OstrelVirorez/UI/Indicator/IndicatorText.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

namespace ostrelvirorez {
namespace {

// The indicator's texts are designed in logical pixels: on a 96 dpi screen a
// point size would draw each of them a third larger than the room the
// capsule and the notch leave for it.
TEST(IndicatorText, FontSizesAreLogicalPixelsOnA96DpiScreen) {
    testing::testApplication();
    ASSERT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 96);
    struct Case {
        const char* name;
        double size;
        QFont::Weight weight;
    };
    for (const Case& c : {Case{"error line", 11, QFont::Medium}, Case{"label", 12, QFont::Normal},
                          Case{"transcript", 13, QFont::Normal}}) {
        SCOPED_TRACE(c.name);
        const QFont font = indicatorFont(c.size, c.weight);
        EXPECT_EQ(font.pixelSize(), c.size);
        EXPECT_EQ(QFontInfo(font).pixelSize(), c.size);
        EXPECT_EQ(font.weight(), c.weight);
    }
}

TEST(IndicatorText, WrapsIntoAtMostTheLinesGivenAndElidesTheLast) {
    testing::testApplication();
    const QFont font = indicatorFont(12);
    const QString text = QStringLiteral("eins zwei drei vier fünf sechs sieben acht neun zehn elf zwölf");
    const QStringList lines = wrappedLines(text, font, 80, 2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(QChar(0x2026))) << lines[1].toStdString();
    EXPECT_TRUE(wrappedLines(QString(), font, 80, 2).isEmpty());
    EXPECT_EQ(wrappedLines(QStringLiteral("kurz"), font, 80, 2), QStringList{QStringLiteral("kurz")});
}

} // namespace
} // namespace ostrelvirorez
