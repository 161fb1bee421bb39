#pragma once
// Recognises the dominant language of a text where its script tells it: the
// languages written without spaces between words. Texts in other scripts give
// no language.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace hushframe {

using LanguageRecognizer = std::function<std::optional<std::string>(std::string_view text)>;

// "ja" when kana is present among mostly Chinese characters, else "zh" for
// Chinese characters, "th", "lo" or "my" for Thai, Lao or Myanmar letters,
// when that script holds most of the text's letters.
std::optional<std::string> dominantLanguageByScript(std::string_view text);

} // namespace hushframe
