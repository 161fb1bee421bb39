#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <map>
#include <string>
#include <vector>

namespace ostreldesignkit {
namespace {

// Literals in the sources that look like symbol names but name something
// else: files, reverse-domain application identifiers, JSON fields.
bool isNotASymbol(const std::string& literal) {
    static const std::set<std::string> others{"feedback.png", "instance.lock", "instance.socket", "md.obsidian",
                                              "icon", "id", "name", "prompt"};
    for (const char* prefix : {"org.", "zar.", "com."})
        if (literal.starts_with(prefix)) return true;
    return others.contains(literal);
}

// Every symbol name the windows and the indicator ask for, read from their
// sources: dotted lowercase literals anywhere, and single-word literals on
// lines that speak of a symbol or an icon.
std::set<std::string> namesTheSourcesUse() {
    static const std::regex dotted(R"re("([a-z][a-z0-9]*(\.[a-z0-9]+)+)")re");
    static const std::regex word(R"re("([a-z][a-z0-9]*)")re");
    static const std::regex mentionsSymbol("symbol|icon", std::regex::icase);
    std::set<std::string> names;
    for (const char* folder : {"OstrelVirorez", "OstrelDesignKit"}) {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(OSTREL_SOURCE_DIR) / folder)) {
            const auto extension = entry.path().extension();
            if (extension != ".cpp" && extension != ".hpp") continue;
            std::ifstream file(entry.path());
            for (std::string line; std::getline(file, line);) {
                for (std::sregex_iterator it(line.begin(), line.end(), dotted), end; it != end; ++it)
                    names.insert((*it)[1]);
                if (!std::regex_search(line, mentionsSymbol)) continue;
                for (std::sregex_iterator it(line.begin(), line.end(), word), end; it != end; ++it)
                    names.insert((*it)[1]);
            }
        }
    }
    std::erase_if(names, isNotASymbol);
    return names;
}

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

TEST(SymbolImage, KnowsEveryNameTheSourcesUse) {
    const std::set<std::string> names = namesTheSourcesUse();
    // The reading itself works: names from a row table, a badge and a toggle row.
    for (const char* sample : {"gearshape", "brain.head.profile", "text.badge.checkmark", "mic"})
        EXPECT_TRUE(names.contains(sample)) << sample;
    for (const std::string& name : names) EXPECT_TRUE(SymbolImage::isKnown(name)) << name;
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

// A sheet of every symbol at two sizes: a changed drawing shows against the kept one.
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
    EXPECT_TRUE(testsupport::matchesReference(sheet, {"OstrelDesignKit/Symbols", "symbols"}));
}

} // namespace
} // namespace ostreldesignkit
