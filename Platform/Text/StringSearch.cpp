#include "Platform/Text/StringSearch.hpp"

#include "Platform/Text/GraphemeIterator.hpp"
#include "Platform/Text/IcuString.hpp"

#include <unicode/locid.h>
#include <unicode/stsearch.h>
#include <unicode/tblcoll.h>

namespace platform::text {

using detail::throwIfFailed;

namespace {

// Root collator whose strength ignores exactly what the options ask to ignore.
// Identical strength keeps every distinction except canonical equivalence.
std::unique_ptr<icu::RuleBasedCollator> collatorFor(SearchOptions options)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    throwIfFailed(status, "Cannot create root collator");
    std::unique_ptr<icu::RuleBasedCollator> ruleBased(dynamic_cast<icu::RuleBasedCollator*>(collator.get()));
    if (!ruleBased)
        throwIfFailed(U_UNSUPPORTED_ERROR, "Root collator is not rule based");
    collator.release();

    ruleBased->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
    if (options.caseInsensitive && options.diacriticInsensitive) {
        ruleBased->setStrength(icu::Collator::PRIMARY);
    } else if (options.caseInsensitive) {
        ruleBased->setStrength(icu::Collator::SECONDARY);
    } else if (options.diacriticInsensitive) {
        ruleBased->setStrength(icu::Collator::PRIMARY);
        ruleBased->setAttribute(UCOL_CASE_LEVEL, UCOL_ON, status);
    } else {
        ruleBased->setStrength(icu::Collator::IDENTICAL);
    }
    throwIfFailed(status, "Cannot configure collator for search");
    return ruleBased;
}

} // namespace

struct StringSearch::State {
    std::string original;
    detail::Utf16Text haystack;
    detail::GraphemeIterator characters;
    icu::UnicodeString needle;
    std::unique_ptr<icu::RuleBasedCollator> collator;
    std::unique_ptr<icu::StringSearch> search; // absent when nothing can match
    // The collation search compares no case level, so a search that ignores
    // diacritics but not case confirms each candidate with the collator.
    bool confirmCase = false;

    State(std::string_view haystackText, std::string_view needleText, SearchOptions options)
        : original(haystackText), haystack(original), characters(original), needle(detail::toUnicode(needleText)),
          confirmCase(options.diacriticInsensitive && !options.caseInsensitive)
    {
        if (needle.isEmpty() || haystack.text().isEmpty())
            return;
        collator = collatorFor(options);
        UErrorCode status = U_ZERO_ERROR;
        search = std::make_unique<icu::StringSearch>(needle, haystack.text(), collator.get(), nullptr, status);
        if (status == U_ILLEGAL_ARGUMENT_ERROR) {
            // A needle made only of characters that collation ignores.
            search.reset();
            return;
        }
        throwIfFailed(status, "Cannot start text search");
    }

    // A match never splits a character, and honours letter case when asked to.
    bool accepts(int32_t start, int32_t end, const ByteRange& range)
    {
        if (!characters.isBoundary(range.begin) || !characters.isBoundary(range.end))
            return false;
        if (!confirmCase)
            return true;
        UErrorCode status = U_ZERO_ERROR;
        const auto matched = haystack.text().tempSubStringBetween(start, end);
        const bool equal = collator->compare(matched, needle, status) == UCOL_EQUAL;
        throwIfFailed(status, "Text comparison failed");
        return equal;
    }
};

StringSearch::StringSearch(std::string_view haystack, std::string_view needle, SearchOptions options)
    : state_(std::make_unique<State>(haystack, needle, options))
{
}

StringSearch::~StringSearch() = default;

std::optional<ByteRange> StringSearch::find(std::size_t byteOffset)
{
    if (!state_->search)
        return std::nullopt;
    const auto& haystack = state_->haystack;
    const int32_t length = haystack.text().length();
    for (int32_t from = haystack.utf16Index(byteOffset); from < length;) {
        UErrorCode status = U_ZERO_ERROR;
        state_->search->setOffset(from, status);
        const int32_t start = state_->search->next(status);
        throwIfFailed(status, "Text search failed");
        if (start == USEARCH_DONE)
            return std::nullopt;
        const int32_t end = start + state_->search->getMatchedLength();
        const ByteRange range{haystack.byteOffset(start), haystack.byteOffset(end)};
        if (state_->accepts(start, end, range))
            return range;
        from = start + U16_LENGTH(haystack.text().char32At(start));
    }
    return std::nullopt;
}

std::optional<ByteRange> findFirst(std::string_view haystack, std::string_view needle, SearchOptions options,
                                   std::size_t fromByte)
{
    return StringSearch(haystack, needle, options).find(fromByte);
}

std::vector<ByteRange> findAll(std::string_view haystack, std::string_view needle, SearchOptions options)
{
    std::vector<ByteRange> matches;
    StringSearch search(haystack, needle, options);
    // A match is never empty, so the search always moves forward.
    for (auto match = search.find(0); match && !match->empty(); match = search.find(match->end))
        matches.push_back(*match);
    return matches;
}

bool contains(std::string_view haystack, std::string_view needle, SearchOptions options)
{
    return findFirst(haystack, needle, options).has_value();
}

} // namespace platform::text
