#include "OstrelDesignKit/Symbols/SymbolImage.hpp"

#include "OstrelDesignKit/Symbols/SymbolDrawings.hpp"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPixmap>

#include <array>

namespace ostreldesignkit {
namespace {

constexpr double canvasSize = 24.0;
constexpr double strokeWidth = 1.7;
constexpr std::array iconSizes{16, 22, 32, 48, 64};

} // namespace

bool SymbolImage::isKnown(std::string_view name) {
    return findSymbolDrawing(name) != nullptr;
}

std::vector<std::string_view> SymbolImage::knownNames() { return symbolDrawingNames(); }

QImage SymbolImage::render(std::string_view name, int size, const QColor& color) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const SymbolDrawing* drawing = findSymbolDrawing(name);
    if (drawing == nullptr || size <= 0) return image;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / canvasSize, size / canvasSize);
    painter.setPen(QPen(color, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(color);
    (*drawing)(painter);
    return image;
}

QIcon SymbolImage::icon(std::string_view name) {
    if (!isKnown(name)) return {};
    const QColor color = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (const int size : iconSizes) icon.addPixmap(QPixmap::fromImage(render(name, size, color)));
    icon.setIsMask(true);
    return icon;
}

} // namespace ostreldesignkit
