#include "Platform/Text/GraphemeIterator.hpp"

#include "Platform/Text/IcuString.hpp"

#include <unicode/locid.h>

namespace platform::text::detail {

GraphemeIterator::GraphemeIterator(std::string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    text_.adoptInstead(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    throwIfFailed(status, "Cannot open text for character iteration");
    breaks_.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    throwIfFailed(status, "Cannot create character break iterator");
    breaks_->setText(text_.getAlias(), status);
    throwIfFailed(status, "Cannot set text of character break iterator");
}

std::size_t GraphemeIterator::following(std::size_t offset)
{
    return position(breaks_->following(static_cast<int32_t>(offset)));
}

std::size_t GraphemeIterator::preceding(std::size_t offset)
{
    return position(breaks_->preceding(static_cast<int32_t>(offset)));
}

bool GraphemeIterator::isBoundary(std::size_t offset)
{
    return breaks_->isBoundary(static_cast<int32_t>(offset));
}

std::size_t GraphemeIterator::position(int32_t index)
{
    return index == icu::BreakIterator::DONE ? done : static_cast<std::size_t>(index);
}

} // namespace platform::text::detail
