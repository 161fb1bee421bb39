#pragma once
// Our own line drawings of the named symbols, each on a 24 × 24 canvas with
// the painter's pen and brush already set to the symbol colour.

#include <functional>
#include <string_view>
#include <vector>

class QPainter;

namespace ostreldesignkit {

using SymbolDrawing = std::function<void(QPainter& painter)>;

// The drawing for `name`, or nullptr when no symbol has that name.
const SymbolDrawing* findSymbolDrawing(std::string_view name);

// Every name that has a drawing, in alphabetical order.
std::vector<std::string_view> symbolDrawingNames();

} // namespace ostreldesignkit
