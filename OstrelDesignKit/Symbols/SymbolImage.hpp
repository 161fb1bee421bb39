#pragma once
// The monochrome symbol images the views and the status item show, looked up
// by symbol name ("mic", "xmark.circle.fill", "gearshape", …). An unknown name
// gives an empty image, never a failure.

#include <QColor>
#include <QIcon>
#include <QImage>

#include <string_view>
#include <vector>

namespace ostreldesignkit {

class SymbolImage {
public:
    static bool isKnown(std::string_view name);
    // Every name with a drawing, alphabetically.
    static std::vector<std::string_view> knownNames();

    // The symbol drawn at `size` × `size` pixels in `color` on a transparent
    // ground; fully transparent for an unknown name. Needs no application.
    static QImage render(std::string_view name, int size, const QColor& color);

    // The symbol in the application palette's text colour, marked as a mask
    // so that themes may recolour it; a null icon for an unknown name.
    // Needs a running QGuiApplication.
    static QIcon icon(std::string_view name);
};

} // namespace ostreldesignkit
