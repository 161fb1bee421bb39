#pragma once
// The image of the target application's icon, from the themed icon name or
// the icon file the target-application detector reports.

#include <QImage>

#include <optional>
#include <string>

namespace ostrelvirorez {

// A null image when there is no icon or it cannot be found. Needs a running
// QGuiApplication for themed names.
QImage targetIconImage(const std::optional<std::string>& icon);

} // namespace ostrelvirorez
