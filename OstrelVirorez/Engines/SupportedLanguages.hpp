#pragma once
// The dictation languages the user can pick as the language hint, each with
// its name in its own language. Independent of what each engine claims.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class SupportedLanguages {
public:
    SupportedLanguages() = delete;

    struct Entry {
        std::string code;
        std::string displayName;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // The 18 languages in the order the picker shows them.
    static const std::vector<Entry> all;

    // The name of the entry whose code equals `code` exactly; `code` itself when none does.
    static std::string displayName(const std::string& code);
};

} // namespace ostrelvirorez

template <>
struct std::hash<ostrelvirorez::SupportedLanguages::Entry> {
    std::size_t operator()(const ostrelvirorez::SupportedLanguages::Entry& entry) const noexcept {
        const std::size_t code = std::hash<std::string>{}(entry.code);
        return code ^ (std::hash<std::string>{}(entry.displayName) + 0x9e3779b97f4a7c15ULL + (code << 6) + (code >> 2));
    }
};
