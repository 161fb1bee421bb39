#pragma once
// Splits the text form of a program into tokens (names, numbers, quoted
// strings, punctuation), skipping white space and `//` comments, and keeps the
// line and column of each.

#include "Platform/CoreML/MIL/ProgramSyntax.hpp"

#include <array>
#include <cstddef>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::coreml::mil {

enum class TokenKind { identifier, number, string, punctuation, end };

struct Token {
    TokenKind kind = TokenKind::end;
    std::string_view text; // as written (a string without its quotes, undecoded)
    std::string value;     // a string's contents with escapes decoded
    SourceLocation location;

    bool is(std::string_view punctuation) const { return kind == TokenKind::punctuation && text == punctuation; }
    bool isIdentifier(std::string_view name) const { return kind == TokenKind::identifier && text == name; }
};

// Words that complete an error message, joined only when an error needs them
// so that reading sound text builds no messages. The words must outlive it.
class Phrase {
public:
    Phrase(const char* words) : Phrase({std::string_view(words)}) {}
    Phrase(std::initializer_list<std::string_view> words);

    Phrase operator+(const Phrase& more) const;
    std::string text() const;

private:
    void append(std::string_view word);

    std::array<std::string_view, 12> words_{};
    std::size_t count_ = 0;
};

// Text from the program as a message quotes it ("'conv'"), cut short when long.
std::string quotedText(std::string_view text);
// How a token reads in a message: "';'", "'conv'", "a string", "the end of the file".
std::string describeToken(const Token& token);

[[noreturn]] void throwSyntaxError(SourceLocation location, const std::string& message);

// Copyable, so a reader can go back to an earlier place.
class ProgramLexer {
public:
    explicit ProgramLexer(std::string_view text) : text_(text) {}

    // The token `ahead` places after the next one; the end token repeats at the end.
    const Token& peek(std::size_t ahead = 0);
    Token next();
    // The next token, which must be `punctuation`; otherwise the error reads
    // "expected 'P' <context>, found ...".
    Token expect(std::string_view punctuation, const Phrase& context);
    // The next token, which must be a name; otherwise "expected <what>, found ...".
    Token expectIdentifier(const Phrase& what);

private:
    Token scan();
    void skipSpaceAndComments();
    Token scanIdentifier();
    Token scanNumber();
    Token scanString();
    void scanDigits(bool hex);
    void decodeEscape(std::string& out);
    [[noreturn]] void failAtCharacter(const std::string& message) const;

    char at(std::size_t offset) const { return offset < text_.size() ? text_[offset] : '\0'; }
    void advance(std::size_t count = 1);
    SourceLocation here() const { return {line_, column_}; }

    std::string_view text_;
    std::size_t offset_ = 0;
    int line_ = 1;
    int column_ = 1;
    std::deque<Token> lookahead_;
};

} // namespace platform::coreml::mil
