#pragma once
// Everything the clipboard held at one moment: every type its owner offered,
// in the owner's order, with the raw bytes of each.

#include <string>
#include <vector>

namespace ostrelvirorez {

struct ClipboardSnapshot {
    struct Entry {
        // The type offered ("UTF8_STRING", "text/html", "image/png", ...).
        std::string type;
        // How the data is encoded on the wire: its property type and unit size.
        std::string encoding;
        int format = 8;
        std::string data;

        bool operator==(const Entry&) const = default;
    };

    std::vector<Entry> entries;

    bool empty() const { return entries.empty(); }
    bool operator==(const ClipboardSnapshot&) const = default;
};

} // namespace ostrelvirorez
