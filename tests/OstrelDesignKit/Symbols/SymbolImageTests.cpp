#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace ostreldesignkit {
namespace {

// The names the windows and the indicator ask for.
const std::vector<std::string> namesTheViewsUse{
    "antenna.radiowaves.left.and.right",
    "app",
    "arrow.right.circle",
    "arrow.triangle.2.circlepath",
    "arrow.up.and.down",
    "arrow.up.left.and.arrow.down.right",
    "bubble.left.fill",
    "capslock",
    "character.book.closed",
    "checkmark",
    "checkmark.circle",
    "checkmark.circle.fill",
    "checkmark.seal.fill",
    "chevron.left.forwardslash.chevron.right",
    "circle",
    "circle.dotted",
    "circle.lefthalf.filled",
    "clipboard",
    "clock.arrow.circlepath",
    "command",
    "cpu",
    "doc.on.clipboard",
    "doc.richtext",
    "doc.text",
    "dock.rectangle",
    "envelope.badge",
    "envelope.fill",
    "exclamationmark.circle.fill",
    "exclamationmark.triangle",
    "exclamationmark.triangle.fill",
    "eye",
    "eye.slash",
    "film",
    "gearshape",
    "gearshape.arrow.triangle.2.circlepath",
    "globe",
    "hand.raised",
    "hand.tap",
    "keyboard",
    "keyboard.badge.eye",
    "largecircle.fill.circle",
    "lock.shield",
    "magnifyingglass",
    "megaphone.fill",
    "menubar.rectangle",
    "mic",
    "mic.badge.plus",
    "mic.fill",
    "mic.fill.badge.plus",
    "minus",
    "minus.circle",
    "minus.circle.fill",
    "note.text",
    "paintpalette",
    "paragraphsign",
    "pause.circle",
    "pencil",
    "plus",
    "plus.circle",
    "questionmark",
    "quote.opening",
    "rectangle.inset.filled",
    "scroll",
    "sidebar.leading",
    "sidebar.left",
    "slider.horizontal.3",
    "sparkles",
    "speaker.minus",
    "speaker.wave.2",
    "star.fill",
    "text.badge.minus",
    "text.book.closed",
    "text.bubble",
    "text.cursor",
    "textformat.size",
    "timer",
    "trash",
    "wand.and.stars",
    "waveform",
    "waveform.badge.magnifyingglass",
    "waveform.path.ecg",
    "xmark",
    "xmark.circle",
    "xmark.circle.fill",
};

// How many pixels are drawn at all, whether every opaque one has `color`,
// and whether any lies on the image's outermost ring of pixels.
struct Coverage {
    int drawn = 0;
    bool onlyColor = true;
    bool touchesEdge = false;
};

Coverage coverage(const QImage& image, const QColor& color) {
    Coverage result;
    const auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0) continue;
            ++result.drawn;
            if (x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1) result.touchesEdge = true;
            if (pixel.alpha() == 255 && !(near(pixel.red(), color.red()) && near(pixel.green(), color.green()) &&
                                          near(pixel.blue(), color.blue()))) {
                result.onlyColor = false;
            }
        }
    }
    return result;
}

QByteArray bytes(const QImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

TEST(SymbolImage, KnowsEveryNameTheViewsUse) {
    for (const std::string& name : namesTheViewsUse) EXPECT_TRUE(SymbolImage::isKnown(name)) << name;
}

TEST(SymbolImage, EveryKnownSymbolDrawsInsideItsBoxInTheGivenColour) {
    const QColor color(200, 40, 10);
    for (const std::string_view name : SymbolImage::knownNames()) {
        SCOPED_TRACE(std::string(name));
        for (const int size : {16, 64}) {
            const QImage image = SymbolImage::render(name, size, color);
            EXPECT_EQ(image.size(), QSize(size, size));
            const Coverage drawn = coverage(image, color);
            EXPECT_GT(drawn.drawn, size * size / 20);
            EXPECT_LT(drawn.drawn, size * size * 9 / 10);
            EXPECT_TRUE(drawn.onlyColor);
            if (size == 64) {
                EXPECT_FALSE(drawn.touchesEdge);
            }
        }
    }
}

TEST(SymbolImage, EverySymbolLooksDifferentExceptTheOneAlias) {
    std::map<QByteArray, std::vector<std::string>> byImage;
    for (const std::string_view name : SymbolImage::knownNames()) {
        byImage[bytes(SymbolImage::render(name, 32, Qt::black))].emplace_back(name);
    }
    for (const auto& [image, names] : byImage) {
        if (names.size() == 1) continue;
        // The leading sidebar is the left one in a left-to-right layout.
        EXPECT_EQ(names, (std::vector<std::string>{"sidebar.leading", "sidebar.left"}));
    }
}

TEST(SymbolImage, AnUnknownNameGivesAnEmptyImage) {
    EXPECT_FALSE(SymbolImage::isKnown("mic.slash"));
    EXPECT_FALSE(SymbolImage::isKnown(""));
    const QImage image = SymbolImage::render("mic.slash", 24, Qt::black);
    EXPECT_EQ(image.size(), QSize(24, 24));
    EXPECT_EQ(coverage(image, Qt::black).drawn, 0);
    EXPECT_TRUE(SymbolImage::render("mic", 0, Qt::black).isNull());
}

// A sheet of every symbol at two sizes, for a person to look at.
TEST(SymbolImage, RendersAContactSheet) {
    const auto names = SymbolImage::knownNames();
    constexpr int cell = 56;
    constexpr int columns = 10;
    const int rows = int((names.size() + columns - 1) / columns);
    QImage sheet(columns * cell, rows * cell, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (size_t i = 0; i < names.size(); ++i) {
        const QPoint origin(int(i % columns) * cell, int(i / columns) * cell);
        painter.drawImage(origin + QPoint(4, 4), SymbolImage::render(names[i], 32, Qt::black));
        painter.drawImage(origin + QPoint(38, 4), SymbolImage::render(names[i], 14, Qt::black));
    }
    painter.end();
    QDir().mkpath("renders");
    EXPECT_TRUE(sheet.save("renders/symbols.png"));
}

} // namespace
} // namespace ostreldesignkit
