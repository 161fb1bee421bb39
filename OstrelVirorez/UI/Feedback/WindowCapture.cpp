#include "OstrelVirorez/UI/Feedback/WindowCapture.hpp"

#include <QBuffer>
#include <QPixmap>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace ostrelvirorez {

std::optional<std::vector<std::uint8_t>> captureWindowPNG(QWidget* window) {
    if (window == nullptr || window->width() <= 0 || window->height() <= 0) return std::nullopt;
    const QPixmap pixmap = window->grab();
    if (pixmap.isNull()) return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!pixmap.save(&buffer, "PNG") || bytes.isEmpty()) return std::nullopt;
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string loginUserName() {
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

} // namespace ostrelvirorez
