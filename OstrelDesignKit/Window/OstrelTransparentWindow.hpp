#pragma once
// Turns an ordinary top-level window into a translucent one without the
// platform's title bar and buttons, so that only what its widgets paint is
// seen; the kit's own window buttons stand in for the hidden ones.

#include <QSize>

#include <optional>

class QWidget;

namespace ostreldesignkit {

// Applies at once to `window`: a translucent, clear background and no frame
// (so no title and no close, minimise or zoom buttons), plus the minimum
// size when one is given. A window on screen stays on screen where it was.
// Applying it again changes nothing.
void makeWindowTransparent(QWidget& window, std::optional<QSize> minSize = std::nullopt);

// On the next turn of the event loop, makes the window that hosts `content`
// transparent as above. If `content` is gone by then, or is not inside a
// window (it is a window of its own), nothing happens and nothing is retried.
void ostrelTransparentWindow(QWidget& content, std::optional<QSize> minSize = std::nullopt);

} // namespace ostreldesignkit
