#include "Platform/Text/Normalization.hpp"

#include "Platform/Text/IcuString.hpp"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

namespace platform::text {

namespace {

using detail::throwIfFailed;
using detail::toUnicode;
using detail::toUtf8;

const icu::Normalizer2& normalizer(NormalizationForm form)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* instance = nullptr;
    switch (form) {
    case NormalizationForm::nfc: instance = icu::Normalizer2::getNFCInstance(status); break;
    case NormalizationForm::nfd: instance = icu::Normalizer2::getNFDInstance(status); break;
    case NormalizationForm::nfkc: instance = icu::Normalizer2::getNFKCInstance(status); break;
    case NormalizationForm::nfkd: instance = icu::Normalizer2::getNFKDInstance(status); break;
    }
    throwIfFailed(status, "Unicode normalisation data unavailable");
    return *instance;
}

icu::UnicodeString normalized(const icu::UnicodeString& text, NormalizationForm form)
{
    UErrorCode status = U_ZERO_ERROR;
    auto result = normalizer(form).normalize(text, status);
    throwIfFailed(status, "Unicode normalisation failed");
    return result;
}

} // namespace

std::string normalize(std::string_view text, NormalizationForm form)
{
    return toUtf8(normalized(toUnicode(text), form));
}

bool isNormalized(std::string_view text, NormalizationForm form)
{
    UErrorCode status = U_ZERO_ERROR;
    const bool result = normalizer(form).isNormalized(toUnicode(text), status);
    throwIfFailed(status, "Unicode normalisation check failed");
    return result;
}

bool isCanonicallyEquivalent(std::string_view a, std::string_view b)
{
    return normalized(toUnicode(a), NormalizationForm::nfc) == normalized(toUnicode(b), NormalizationForm::nfc);
}

std::string foldDiacritics(std::string_view text)
{
    const auto decomposed = normalized(toUnicode(text), NormalizationForm::nfd);
    icu::UnicodeString kept;
    for (int32_t index = 0; index < decomposed.length();) {
        const UChar32 scalar = decomposed.char32At(index);
        if (u_charType(scalar) != U_NON_SPACING_MARK)
            kept.append(scalar);
        index += U16_LENGTH(scalar);
    }
    return toUtf8(normalized(kept, NormalizationForm::nfc));
}

} // namespace platform::text
