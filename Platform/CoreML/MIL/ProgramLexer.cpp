#include "Platform/CoreML/MIL/ProgramLexer.hpp"

#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace platform::coreml::mil {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isIdentifierCharacter(char c) { return isLetter(c) || isDigit(c) || c == '@'; }

int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return (c >= 'a' ? c - 'a' : c - 'A') + 10;
}

std::string describeCharacter(char c) {
    if (c >= 0x20 && c < 0x7F) {
        return std::string("'") + c + "'";
    }
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    return text;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

Phrase::Phrase(std::initializer_list<std::string_view> words) {
    for (const auto word : words) {
        append(word);
    }
}

void Phrase::append(std::string_view word) {
    if (count_ == words_.size()) {
        throw std::logic_error("a message phrase has too many words");
    }
    words_[count_++] = word;
}

Phrase Phrase::operator+(const Phrase& more) const {
    Phrase joined = *this;
    for (std::size_t i = 0; i < more.count_; ++i) {
        joined.append(more.words_[i]);
    }
    return joined;
}

std::string Phrase::text() const {
    std::string text;
    for (std::size_t i = 0; i < count_; ++i) {
        text += words_[i];
    }
    return text;
}

std::string quotedText(std::string_view text) {
    // A runaway token (a damaged file) is shown by its start.
    constexpr std::size_t shown = 40;
    if (text.size() > shown) {
        return "'" + std::string(text.substr(0, shown)) + "...'";
    }
    return "'" + std::string(text) + "'";
}

std::string describeToken(const Token& token) {
    switch (token.kind) {
    case TokenKind::end: return "the end of the file";
    case TokenKind::string: return "a string";
    default: return quotedText(token.text);
    }
}

void throwSyntaxError(SourceLocation location, const std::string& message) { throw ProgramSyntaxError(location, message); }

const Token& ProgramLexer::peek(std::size_t ahead) {
    while (lookahead_.size() <= ahead) {
        if (!lookahead_.empty() && lookahead_.back().kind == TokenKind::end) {
            return lookahead_.back();
        }
        lookahead_.push_back(scan());
    }
    return lookahead_[ahead];
}

Token ProgramLexer::next() {
    peek();
    Token token = std::move(lookahead_.front());
    lookahead_.pop_front();
    if (token.kind == TokenKind::end) {
        lookahead_.push_front(token);
    }
    return token;
}

Token ProgramLexer::expect(std::string_view punctuation, const Phrase& context) {
    Token token = next();
    if (!token.is(punctuation)) {
        throwSyntaxError(token.location,
                         "expected '" + std::string(punctuation) + "' " + context.text() + ", found " + describeToken(token));
    }
    return token;
}

Token ProgramLexer::expectIdentifier(const Phrase& what) {
    Token token = next();
    if (token.kind != TokenKind::identifier) {
        throwSyntaxError(token.location, "expected " + what.text() + ", found " + describeToken(token));
    }
    return token;
}

void ProgramLexer::advance(std::size_t count) {
    for (; count > 0 && offset_ < text_.size(); --count, ++offset_) {
        if (text_[offset_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
    }
}

void ProgramLexer::failAtCharacter(const std::string& message) const { throwSyntaxError(here(), message); }

void ProgramLexer::skipSpaceAndComments() {
    while (offset_ < text_.size()) {
        const char c = text_[offset_];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            advance();
        } else if (c == '/' && at(offset_ + 1) == '/') {
            while (offset_ < text_.size() && text_[offset_] != '\n') {
                advance();
            }
        } else {
            return;
        }
    }
}

Token ProgramLexer::scan() {
    skipSpaceAndComments();
    if (offset_ >= text_.size()) {
        return Token{TokenKind::end, {}, {}, here()};
    }
    const char c = text_[offset_];
    const char following = at(offset_ + 1);
    if (isLetter(c)) {
        return scanIdentifier();
    }
    if (isDigit(c) || (c == '.' && isDigit(following))) {
        return scanNumber();
    }
    if (c == '-' && following == '>') {
        Token token{TokenKind::punctuation, text_.substr(offset_, 2), {}, here()};
        advance(2);
        return token;
    }
    if (c == '-' || c == '+') {
        if (isDigit(following) || (following == '.' && isDigit(at(offset_ + 2))) || isLetter(following)) {
            return scanNumber();
        }
        failAtCharacter("unexpected character " + describeCharacter(c));
    }
    if (c == '"') {
        return scanString();
    }
    if (std::string_view("(){}[]<>,;=?").find(c) != std::string_view::npos) {
        Token token{TokenKind::punctuation, text_.substr(offset_, 1), {}, here()};
        advance();
        return token;
    }
    failAtCharacter("unexpected character " + describeCharacter(c));
}

Token ProgramLexer::scanIdentifier() {
    Token token{TokenKind::identifier, {}, {}, here()};
    const auto start = offset_;
    while (offset_ < text_.size() && isIdentifierCharacter(text_[offset_])) {
        advance();
    }
    token.text = text_.substr(start, offset_ - start);
    return token;
}

void ProgramLexer::scanDigits(bool hex) {
    while (offset_ < text_.size() && (hex ? isHexDigit(text_[offset_]) : isDigit(text_[offset_]))) {
        advance();
    }
}

// Decimal and C99 hexadecimal numbers with an optional sign, and a signed
// "inf" or "nan" (unsigned ones are names, resolved where a number is expected).
Token ProgramLexer::scanNumber() {
    Token token{TokenKind::number, {}, {}, here()};
    const auto start = offset_;
    if (text_[offset_] == '-' || text_[offset_] == '+') {
        advance();
        if (isLetter(at(offset_))) {
            const auto wordStart = offset_;
            while (offset_ < text_.size() && isIdentifierCharacter(text_[offset_])) {
                advance();
            }
            const auto word = text_.substr(wordStart, offset_ - wordStart);
            if (word != "inf" && word != "nan" && word != "infinity") {
                throwSyntaxError(token.location, "malformed number " + quotedText(text_.substr(start, offset_ - start)));
            }
            token.text = text_.substr(start, offset_ - start);
            return token;
        }
    }
    const bool hex = at(offset_) == '0' && (at(offset_ + 1) == 'x' || at(offset_ + 1) == 'X');
    if (hex) {
        advance(2);
    }
    const auto mantissaStart = offset_;
    scanDigits(hex);
    if (at(offset_) == '.') {
        advance();
        scanDigits(hex);
    }
    bool wellFormed = offset_ - mantissaStart > (at(offset_ - 1) == '.' ? 1u : 0u);
    const char exponent = at(offset_);
    if (hex ? (exponent == 'p' || exponent == 'P') : (exponent == 'e' || exponent == 'E')) {
        advance();
        if (at(offset_) == '+' || at(offset_) == '-') {
            advance();
        }
        const auto exponentStart = offset_;
        scanDigits(false);
        wellFormed = wellFormed && offset_ > exponentStart;
    }
    if (!wellFormed || isIdentifierCharacter(at(offset_)) || at(offset_) == '.') {
        while (offset_ < text_.size() && (isIdentifierCharacter(text_[offset_]) || text_[offset_] == '.')) {
            advance();
        }
        throwSyntaxError(token.location, "malformed number " + quotedText(text_.substr(start, offset_ - start)));
    }
    token.text = text_.substr(start, offset_ - start);
    return token;
}

Token ProgramLexer::scanString() {
    Token token{TokenKind::string, {}, {}, here()};
    advance(); // the opening quote
    const auto start = offset_;
    while (true) {
        if (offset_ >= text_.size()) {
            throwSyntaxError(token.location, "the string that starts here does not end");
        }
        const char c = text_[offset_];
        if (c == '"') {
            break;
        }
        if (c == '\\') {
            decodeEscape(token.value);
        } else {
            token.value += c;
            advance();
        }
    }
    token.text = text_.substr(start, offset_ - start);
    advance(); // the closing quote
    return token;
}

void ProgramLexer::decodeEscape(std::string& out) {
    const auto location = here();
    const char c = at(offset_ + 1);
    auto readHex = [&](int digits) {
        std::uint32_t value = 0;
        for (int i = 0; i < digits; ++i) {
            const char digit = at(offset_ + 2 + static_cast<std::size_t>(i));
            if (!isHexDigit(digit)) {
                throwSyntaxError(location, std::string("the escape \\") + c + " needs " + std::to_string(digits) + " hexadecimal digits");
            }
            value = value * 16 + static_cast<std::uint32_t>(hexValue(digit));
        }
        advance(2 + static_cast<std::size_t>(digits));
        return value;
    };
    switch (c) {
    case 'x': out += static_cast<char>(readHex(2)); return;
    case 'u': {
        const auto codePoint = readHex(4);
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            throwSyntaxError(location, "the escape \\u names a surrogate, which is no character");
        }
        appendUtf8(out, codePoint);
        return;
    }
    case 'n': out += '\n'; break;
    case 't': out += '\t'; break;
    case 'r': out += '\r'; break;
    case '0': out += '\0'; break;
    case 'a': out += '\a'; break;
    case 'b': out += '\b'; break;
    case 'f': out += '\f'; break;
    case 'v': out += '\v'; break;
    case '"':
    case '\'':
    case '\\':
    case '/':
    case '?': out += c; break;
    default:
        if (offset_ + 1 >= text_.size()) {
            throwSyntaxError(location, "the file ends inside an escape in a string");
        }
        throwSyntaxError(location, "a backslash in a string is followed by " + describeCharacter(c) + ", which is no known escape");
    }
    advance(2);
}

} // namespace platform::coreml::mil
