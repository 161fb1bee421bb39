#pragma once
// An application's icon as the catalog names it (a themed icon name or an
// icon file), drawn at a square size; a null pixmap when it cannot be found.

#include <QPixmap>

#include <optional>
#include <string>

namespace ostrelvirorez {

QPixmap appIconPixmap(const std::optional<std::string>& icon, int size);

} // namespace ostrelvirorez
