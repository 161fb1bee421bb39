#include "tests/Support/Qt/ReferenceImage.hpp"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testsupport {
namespace {

struct Difference {
    int pixels = 0;
    int largestChannel = 0;
    QRect region;
    QImage marked;
};

bool updatingReferences() {
    const char* value = std::getenv("OSTREL_UPDATE_REFERENCES");
    return value != nullptr && std::string(value) == "1";
}

QImage comparable(const QImage& image) {
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

Difference compare(const QImage& actual, const QImage& expected, int channelTolerance) {
    Difference difference;
    difference.marked = actual.copy();
    for (int y = 0; y < actual.height(); ++y) {
        const auto* actualLine = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* expectedLine = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int distance = channelDistance(actualLine[x], expectedLine[x]);
            difference.largestChannel = std::max(difference.largestChannel, distance);
            if (distance <= channelTolerance) continue;
            ++difference.pixels;
            difference.region |= QRect(x, y, 1, 1);
            difference.marked.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return difference;
}

QString renderPath(const ReferenceImage& reference, const QString& suffix) {
    QDir().mkpath(QStringLiteral("renders"));
    return QStringLiteral("renders/%1%2.png").arg(QString::fromStdString(reference.name), suffix);
}

std::string describe(const QRect& rect) {
    std::ostringstream text;
    text << rect.width() << "x" << rect.height() << " at (" << rect.x() << ", " << rect.y() << ")";
    return text.str();
}

::testing::AssertionResult writeReference(const QImage& actual, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!actual.save(path)) return ::testing::AssertionFailure() << "could not write reference " << path.toStdString();
    return ::testing::AssertionSuccess() << "reference rewritten: " << path.toStdString();
}

} // namespace

std::string referencePath(const ReferenceImage& reference) {
    const std::filesystem::path folder = std::filesystem::path(OSTREL_TESTS_SOURCE_DIR) / reference.testFolder;
    return (folder / "references" / (reference.name + ".png")).string();
}

::testing::AssertionResult matchesReference(const QImage& render, const ReferenceImage& reference,
                                            ReferenceTolerance tolerance) {
    const QImage actual = comparable(render);
    const QString actualPath = renderPath(reference, QString());
    actual.save(actualPath);
    const QString path = QString::fromStdString(referencePath(reference));
    if (updatingReferences()) return writeReference(actual, path);

    const QImage stored(path);
    if (stored.isNull()) {
        return ::testing::AssertionFailure() << "reference image " << reference.name << " missing at " << path.toStdString()
                                             << "; the render is at " << actualPath.toStdString()
                                             << " (OSTREL_UPDATE_REFERENCES=1 writes it)";
    }
    const QImage expected = comparable(stored);
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure() << "reference image " << reference.name << " is " << expected.width() << "x"
                                             << expected.height() << " but the render is " << actual.width() << "x"
                                             << actual.height() << "; the render is at " << actualPath.toStdString();
    }
    const Difference difference = compare(actual, expected, tolerance.channel);
    if (difference.pixels <= tolerance.pixels) return ::testing::AssertionSuccess();
    const QString diffPath = renderPath(reference, QStringLiteral(".diff"));
    difference.marked.save(diffPath);
    return ::testing::AssertionFailure() << "reference image " << reference.name << ": " << difference.pixels
                                         << " pixels differ (allowed " << tolerance.pixels << ", channel tolerance "
                                         << tolerance.channel << ", largest difference " << difference.largestChannel
                                         << ") in the region " << describe(difference.region) << "; the render is at "
                                         << actualPath.toStdString() << ", the differences marked at "
                                         << diffPath.toStdString();
}

} // namespace testsupport
