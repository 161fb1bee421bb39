#include "OstrelVirorez/UI/Rewriting/AppIconImage.hpp"

#include <QFileInfo>
#include <QIcon>

namespace ostrelvirorez {

QPixmap appIconPixmap(const std::optional<std::string>& icon, int size) {
    if (!icon || icon->empty()) return {};
    const auto name = QString::fromStdString(*icon);
    const QIcon image = QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
    if (image.isNull()) return {};
    return image.pixmap(size, size);
}

} // namespace ostrelvirorez
