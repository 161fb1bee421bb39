#pragma once
// The desktop's clipboard. Needs the application's GUI object; without one
// it reads no text and writes nothing. Main queue only.

#include "OstrelVirorez/App/ClipboardAccessing.hpp"

namespace ostrelvirorez {

class SystemClipboard final : public ClipboardAccessing {
public:
    std::optional<std::string> readText() override;
    void writeText(const std::string& text) override;
};

} // namespace ostrelvirorez
