#pragma once
// Our own line drawings of the named symbols, each on a 24 × 24 canvas with
// the painter's pen and brush already set to the symbol colour.

#include <string_view>

class QPainter;

namespace ostreldesignkit {

using SymbolDrawing = void (*)(QPainter& painter);

// The drawing for `name`, or nullptr when no symbol has that name.
SymbolDrawing findSymbolDrawing(std::string_view name);

} // namespace ostreldesignkit
