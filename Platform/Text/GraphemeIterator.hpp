#pragma once
// Internal: an ICU character break iterator over UTF-8 text, whose indices
// are byte offsets into that text. The text must outlive the iterator.

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace platform::text::detail {

class GraphemeIterator {
public:
    explicit GraphemeIterator(std::string_view text);

    std::size_t first() { return position(breaks_->first()); }
    std::size_t last() { return position(breaks_->last()); }
    // Each returns `done` when there is no further boundary.
    std::size_t next() { return position(breaks_->next()); }
    std::size_t previous() { return position(breaks_->previous()); }
    std::size_t following(std::size_t offset);
    std::size_t preceding(std::size_t offset);
    bool isBoundary(std::size_t offset);

    static constexpr std::size_t done = static_cast<std::size_t>(-1);

private:
    static std::size_t position(int32_t index);

    icu::LocalUTextPointer text_;
    std::unique_ptr<icu::BreakIterator> breaks_;
};

} // namespace platform::text::detail
