#include "Platform/Text/CaseMapping.hpp"

#include "Platform/Text/Characters.hpp"
#include "Platform/Text/IcuString.hpp"
#include "Platform/Text/Normalization.hpp"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <memory>

namespace platform::text {

namespace {

using detail::toUnicode;
using detail::toUtf8;

// NFC of the full case folding of the canonical decomposition.
std::string caseFolded(std::string_view text)
{
    auto folded = toUnicode(normalize(text, NormalizationForm::nfd));
    folded.foldCase(U_FOLD_CASE_DEFAULT);
    return normalize(toUtf8(folded), NormalizationForm::nfc);
}

} // namespace

std::string lowercased(std::string_view text)
{
    return toUtf8(toUnicode(text).toLower(icu::Locale::getRoot()));
}

std::string uppercased(std::string_view text)
{
    return toUtf8(toUnicode(text).toUpper(icu::Locale::getRoot()));
}

std::string capitalizeFirst(std::string_view text)
{
    const auto first = firstCharacter(text);
    if (!first)
        return {};
    return uppercased(*first) + std::string(text.substr(first->size()));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return caseFolded(a) == caseFolded(b);
}

int compareIgnoringCase(std::string_view a, std::string_view b)
{
    // UTF-8 byte order is code point order.
    return caseFolded(a).compare(caseFolded(b));
}

int localizedCompareIgnoringCase(std::string_view a, std::string_view b, const std::string& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(where, status));
    detail::throwIfFailed(status, "Cannot create collator for locale \"" + locale + "\"");
    collator->setStrength(icu::Collator::SECONDARY);
    collator->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
    const auto result = collator->compare(toUnicode(a), toUnicode(b), status);
    detail::throwIfFailed(status, "Collation failed");
    return static_cast<int>(result);
}

} // namespace platform::text
