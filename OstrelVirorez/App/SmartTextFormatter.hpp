#pragma once
// Gives a dictated text the shape of written text: sentence starts
// upper-cased, and a long text without blank lines broken into paragraphs of
// a few sentences. Stateless.

#include <cstddef>
#include <string>
#include <string_view>

namespace ostrelvirorez {

class SmartTextFormatter {
public:
    SmartTextFormatter() = delete;

    // Upper-cases the first letter of the text and of every sentence; never
    // lower-cases anything.
    static std::string capitalize(std::string_view text);

    // Paragraphs of `sentencesPerParagraph` sentences joined by blank lines;
    // the input unchanged when it is shorter than `minLength` characters,
    // already has a blank line, or has too few sentences.
    static std::string paragraph(std::string_view text, std::size_t minLength, std::size_t sentencesPerParagraph);
};

} // namespace ostrelvirorez
