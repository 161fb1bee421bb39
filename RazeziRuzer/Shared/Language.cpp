#include "RazeziRuzer/Shared/Language.hpp"

#include <array>

namespace razeziruzer {

namespace {

struct LanguageEntry {
    Language language;
    std::string_view code;
    Script script;
};

// In declaration order, so entries[i].language == Language(i).
constexpr std::array<LanguageEntry, 28> entries{{
    {Language::english, "en", Script::latin},      {Language::spanish, "es", Script::latin},
    {Language::french, "fr", Script::latin},       {Language::german, "de", Script::latin},
    {Language::italian, "it", Script::latin},      {Language::portuguese, "pt", Script::latin},
    {Language::romanian, "ro", Script::latin},     {Language::dutch, "nl", Script::latin},
    {Language::danish, "da", Script::latin},       {Language::swedish, "sv", Script::latin},
    {Language::finnish, "fi", Script::latin},      {Language::hungarian, "hu", Script::latin},
    {Language::estonian, "et", Script::latin},     {Language::latvian, "lv", Script::latin},
    {Language::lithuanian, "lt", Script::latin},   {Language::maltese, "mt", Script::latin},
    {Language::polish, "pl", Script::latin},       {Language::czech, "cs", Script::latin},
    {Language::slovak, "sk", Script::latin},       {Language::slovenian, "sl", Script::latin},
    {Language::croatian, "hr", Script::latin},     {Language::bosnian, "bs", Script::latin},
    {Language::russian, "ru", Script::cyrillic},   {Language::ukrainian, "uk", Script::cyrillic},
    {Language::belarusian, "be", Script::cyrillic}, {Language::bulgarian, "bg", Script::cyrillic},
    {Language::serbian, "sr", Script::cyrillic},   {Language::greek, "el", Script::greek},
}};

constexpr bool entriesInDeclarationOrder() {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (static_cast<std::size_t>(entries[i].language) != i) return false;
    }
    return true;
}
static_assert(entriesInDeclarationOrder());

constexpr std::array<Language, entries.size()> cases = [] {
    std::array<Language, entries.size()> result{};
    for (std::size_t i = 0; i < entries.size(); ++i) result[i] = entries[i].language;
    return result;
}();

const LanguageEntry& entry(Language language) {
    return entries.at(static_cast<std::size_t>(language));
}

} // namespace

std::string_view rawValue(Language language) {
    return entry(language).code;
}

Script script(Language language) {
    return entry(language).script;
}

template <>
std::optional<Language> fromRawValue<Language>(std::string_view raw) {
    for (const auto& e : entries) {
        if (e.code == raw) return e.language;
    }
    return std::nullopt;
}

template <>
std::span<const Language> allCases<Language>() {
    return cases;
}

} // namespace razeziruzer
