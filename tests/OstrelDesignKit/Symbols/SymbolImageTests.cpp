#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace ostreldesignkit {
namespace {

const std::vector<std::string> symbolNames{"mic",         "mic.fill",         "sparkles",
                                           "waveform",    "text.cursor",      "checkmark.circle",
                                           "exclamationmark.triangle"};

// How many pixels are drawn at all, and whether every drawn one has `color`.
struct Coverage {
    int drawn = 0;
    bool onlyColor = true;
};

Coverage coverage(const QImage& image, const QColor& color) {
    Coverage result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0) continue;
            ++result.drawn;
            const auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
            if (pixel.alpha() == 255 && !(near(pixel.red(), color.red()) && near(pixel.green(), color.green()) &&
                                          near(pixel.blue(), color.blue()))) {
                result.onlyColor = false;
            }
        }
    }
    return result;
}

TEST(SymbolImage, DrawsEveryKnownSymbolInTheGivenColour) {
    const QColor color(200, 40, 10);
    for (const std::string& name : symbolNames) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SymbolImage::isKnown(name));
        for (const int size : {16, 64}) {
            const QImage image = SymbolImage::render(name, size, color);
            EXPECT_EQ(image.size(), QSize(size, size));
            const Coverage drawn = coverage(image, color);
            EXPECT_GT(drawn.drawn, size * size / 20);
            EXPECT_LT(drawn.drawn, size * size * 3 / 4);
            EXPECT_TRUE(drawn.onlyColor);
        }
    }
}

TEST(SymbolImage, EverySymbolLooksDifferent) {
    std::set<QByteArray> images;
    for (const std::string& name : symbolNames) {
        const QImage image = SymbolImage::render(name, 32, Qt::black);
        images.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(images.size(), symbolNames.size());
}

TEST(SymbolImage, AnUnknownNameGivesAnEmptyImage) {
    EXPECT_FALSE(SymbolImage::isKnown("mic.slash"));
    EXPECT_FALSE(SymbolImage::isKnown(""));
    const QImage image = SymbolImage::render("mic.slash", 24, Qt::black);
    EXPECT_EQ(image.size(), QSize(24, 24));
    EXPECT_EQ(coverage(image, Qt::black).drawn, 0);
    EXPECT_TRUE(SymbolImage::render("mic", 0, Qt::black).isNull());
}

} // namespace
} // namespace ostreldesignkit
