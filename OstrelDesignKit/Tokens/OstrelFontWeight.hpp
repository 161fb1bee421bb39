#pragma once
// The five weights of the kit's font family and the fonts made from them.
// Faces are named by their face name; on Linux they resolve to the installed
// family the application registers (Lato, else the system sans serif) at the
// matching weight.

#include <QFont>
#include <QStringList>

#include <string_view>

namespace ostreldesignkit {

enum class OstrelFontWeight { regular, medium, demiBold, bold, heavy };

std::string_view fontName(OstrelFontWeight weight);
QFont::Weight qtWeight(OstrelFontWeight weight);

// The families tried in order for the kit's faces.
QStringList ostrelFontFamilies();

// The kit's face of `weight` at `size` logical pixels.
QFont ostrelFont(double size, OstrelFontWeight weight);

} // namespace ostreldesignkit
