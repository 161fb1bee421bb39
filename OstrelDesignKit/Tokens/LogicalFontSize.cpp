#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

#include <algorithm>
#include <cmath>

namespace ostreldesignkit {

void setLogicalSize(QFont& font, double size) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
}

} // namespace ostreldesignkit
