#pragma once
// A locale as the system speech analyzer names it: an identifier such as
// "de-DE", "en_US" or "fr".

#include <optional>
#include <string>

namespace ostrelvirorez {

struct SpeechLocale {
    std::string identifier;

    // The lower-case language code the identifier begins with ("de" for
    // "de-DE"); absent when the identifier does not begin with one.
    std::optional<std::string> languageCode() const;

    friend bool operator==(const SpeechLocale&, const SpeechLocale&) = default;
};

} // namespace ostrelvirorez
