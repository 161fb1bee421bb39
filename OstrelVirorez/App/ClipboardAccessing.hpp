#pragma once
// The clipboard's plain text, as the recording pipeline reads and replaces it.

#include <optional>
#include <string>

namespace ostrelvirorez {

class ClipboardAccessing {
public:
    virtual ~ClipboardAccessing() = default;

    // Absent when the clipboard holds no text.
    virtual std::optional<std::string> readText() = 0;
    // Replaces the whole clipboard contents by this one text.
    virtual void writeText(const std::string& text) = 0;
};

} // namespace ostrelvirorez
