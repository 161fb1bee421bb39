#include "OstrelVirorez/UI/Indicator/TargetIconImage.hpp"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>

namespace ostrelvirorez {
namespace {

// Drawn at most 18 pt; twice that keeps it sharp on dense screens.
constexpr int iconPixels = 36;

} // namespace

QImage targetIconImage(const std::optional<std::string>& icon) {
    if (!icon || icon->empty()) return {};
    const QString name = QString::fromStdString(*icon);
    if (QFileInfo(name).isAbsolute()) {
        QImageReader reader(name);
        reader.setScaledSize(QSize(iconPixels, iconPixels));
        return reader.read();
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
    const QIcon themed = QIcon::fromTheme(name);
    if (themed.isNull()) return {};
    return themed.pixmap(iconPixels, iconPixels).toImage();
}

} // namespace ostrelvirorez
