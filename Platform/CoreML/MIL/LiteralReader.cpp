#include "Platform/CoreML/MIL/LiteralReader.hpp"

#include "Platform/CoreML/MIL/DeclaredType.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::coreml::mil {
namespace {

struct IntegerText {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

// The values an integer type can hold, as magnitudes either side of zero.
struct IntegerRange {
    std::uint64_t negativeLimit = 0;
    std::uint64_t positiveLimit = 0;
};

IntegerRange integerRange(DataType type) {
    const int bits = bitWidth(type);
    if (dataTypeName(type).starts_with("u")) {
        return {0, bits >= 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1};
    }
    const auto half = std::uint64_t{1} << (bits - 1);
    return {half, half - 1};
}

bool startsWithSign(std::string_view text) { return !text.empty() && (text[0] == '-' || text[0] == '+'); }

bool startsWithHexPrefix(std::string_view text) {
    return text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// An integer as written in decimal or hexadecimal; nothing for a number with a
// fraction or an exponent. Throws when it does not fit in 64 bits.
std::optional<IntegerText> integerFromToken(const Token& token) {
    if (token.kind != TokenKind::number) {
        return std::nullopt;
    }
    std::string_view text = token.text;
    IntegerText result;
    if (startsWithSign(text)) {
        result.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const int base = startsWithHexPrefix(text) ? 16 : 10;
    if (base == 16) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.find_first_not_of(base == 16 ? "0123456789abcdefABCDEF" : "0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    if (std::from_chars(text.data(), text.data() + text.size(), result.magnitude, base).ec != std::errc{}) {
        throwSyntaxError(token.location, "the integer " + quotedText(token.text) + " does not fit in 64 bits");
    }
    return result;
}

// Whether a number that overflowed a double was far below one rather than above.
bool isTinyMagnitude(std::string_view text, bool hex) {
    const auto exponent = text.find_first_of(hex ? "pP" : "eE");
    if (exponent != std::string_view::npos && exponent + 1 < text.size() && text[exponent + 1] == '-') {
        return true;
    }
    const auto integerPart = text.substr(0, std::min(text.find('.'), exponent));
    return integerPart.find_first_not_of('0') == std::string_view::npos;
}

// A number token, or a bare "inf"/"nan"; nothing when the value is too large for a double.
std::optional<double> floatFromToken(const Token& token, const std::string& what) {
    std::string_view text = token.text;
    const bool isName = token.kind == TokenKind::identifier;
    if (token.kind != TokenKind::number && !(isName && (text == "inf" || text == "infinity" || text == "nan"))) {
        throwSyntaxError(token.location, "expected a number for " + what + ", found " + describeToken(token));
    }
    bool negative = false;
    if (startsWithSign(text)) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    double magnitude = 0;
    if (text == "inf" || text == "infinity") {
        magnitude = std::numeric_limits<double>::infinity();
    } else if (text == "nan") {
        magnitude = std::numeric_limits<double>::quiet_NaN();
    } else {
        const bool hex = startsWithHexPrefix(text);
        if (hex) {
            text.remove_prefix(2);
        }
        const auto end = text.data() + text.size();
        const auto [stop, error] =
            std::from_chars(text.data(), end, magnitude, hex ? std::chars_format::hex : std::chars_format::general);
        if (error == std::errc::result_out_of_range) {
            if (!isTinyMagnitude(text, hex)) {
                return std::nullopt;
            }
            magnitude = 0;
        } else if (error != std::errc{} || stop != end) {
            throwSyntaxError(token.location, "malformed number " + quotedText(token.text));
        }
    }
    return negative ? -magnitude : magnitude;
}

std::int32_t clampToStorage(const IntegerText& value) {
    constexpr std::uint64_t lowest = std::uint64_t{1} << 31;
    constexpr std::uint64_t highest = lowest - 1;
    if (value.negative) {
        return value.magnitude >= lowest ? std::numeric_limits<std::int32_t>::min()
                                         : -static_cast<std::int32_t>(value.magnitude);
    }
    return static_cast<std::int32_t>(std::min(value.magnitude, highest));
}

std::int64_t checkedElementCount(const std::vector<std::int64_t>& sizes, SourceLocation location) {
    std::int64_t count = 1;
    for (const auto size : sizes) {
        if (size != 0 && count > std::numeric_limits<std::int64_t>::max() / size) {
            throwSyntaxError(location, "the shape " + describeShape(sizes) + " holds too many elements");
        }
        count *= size;
    }
    return count;
}

// Reads one literal, collecting its elements in the storage of the declared
// type and the size of each nesting level.
class TensorLiteralReader {
public:
    TensorLiteralReader(ProgramLexer& lexer, const ValueType& type) : lexer_(lexer), type_(type) {
        for (const auto& dimension : type.shape) {
            levels_.push_back(dimension.size);
        }
    }

    Tensor read() {
        start_ = lexer_.peek().location;
        if (lexer_.peek().is("[")) {
            readArray(0);
        } else {
            readElement();
        }
        return build(resolveShape());
    }

private:
    std::size_t rank() const { return type_.shape.size(); }
    std::string typeText() const { return describeType(type_); }
    std::string elementWhat() const { return "an element of " + typeText(); }

    void readArray(std::size_t depth) {
        const Token open = lexer_.next();
        if (depth >= std::max<std::size_t>(rank(), 1)) {
            throwSyntaxError(open.location, "the array is nested more deeply than the " + std::to_string(rank()) +
                                                " dimensions of " + typeText());
        }
        std::int64_t count = 0;
        bool holdsArrays = false;
        while (!lexer_.peek().is("]")) {
            const bool isArray = lexer_.peek().is("[");
            if (count > 0 && isArray != holdsArrays) {
                throwSyntaxError(lexer_.peek().location, "an array mixes nested arrays and single elements");
            }
            holdsArrays = isArray;
            isArray ? readArray(depth + 1) : readElement();
            ++count;
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        if (const Token close = lexer_.next(); !close.is("]")) {
            throwSyntaxError(close.location, "expected ']' or ',' in the array of " + typeText() + ", found " + describeToken(close));
        }
        if (depth == 0 && !holdsArrays) {
            return; // a flat list, or a scalar's single element in brackets
        }
        nested_ = true;
        if (!holdsArrays && count > 0 && depth + 1 != rank()) {
            throwSyntaxError(open.location, "the array holds single elements at depth " + std::to_string(depth + 1) +
                                                ", but " + typeText() + " has " + std::to_string(rank()) + " dimensions");
        }
        auto& level = levels_[depth];
        if (level && *level != count) {
            throwSyntaxError(open.location, "the array has " + std::to_string(count) + " items where " +
                                                std::to_string(*level) + " are expected at depth " +
                                                std::to_string(depth + 1) + " of " + typeText());
        }
        level = count;
    }

    void readElement() {
        const Token token = lexer_.next();
        switch (storageKind(type_.dataType)) {
        case StorageKind::float32: floats_.push_back(floatElement(token)); break;
        case StorageKind::int32: ints_.push_back(integerElement(token)); break;
        case StorageKind::boolean: bools_.push_back(boolElement(token)); break;
        case StorageKind::string:
            if (token.kind != TokenKind::string) {
                throwSyntaxError(token.location, "expected a string for " + elementWhat() + ", found " + describeToken(token));
            }
            strings_.push_back(token.value);
            break;
        }
        ++elementCount_;
    }

    float floatElement(const Token& token) const {
        const auto value = floatFromToken(token, elementWhat());
        const auto single = value ? static_cast<float>(*value) : 0.0f;
        if (!value || (std::isinf(single) && !std::isinf(*value))) {
            throwSyntaxError(token.location, quotedText(token.text) + " does not fit in " +
                                                 std::string(dataTypeName(type_.dataType)));
        }
        return single;
    }

    std::int32_t integerElement(const Token& token) const {
        const auto value = integerFromToken(token);
        if (!value) {
            throwSyntaxError(token.location, "expected an integer for " + elementWhat() + ", found " + describeToken(token));
        }
        const auto range = integerRange(type_.dataType);
        if (value->magnitude > (value->negative ? range.negativeLimit : range.positiveLimit)) {
            throwSyntaxError(token.location, quotedText(token.text) + " does not fit in " +
                                                 std::string(dataTypeName(type_.dataType)));
        }
        // Every integer type is held as int32; wider values saturate, as they
        // do wherever the runtime narrows an integer.
        return clampToStorage(*value);
    }

    std::uint8_t boolElement(const Token& token) const {
        if (token.isIdentifier("true") || token.isIdentifier("false")) {
            return token.text == "true" ? 1 : 0;
        }
        throwSyntaxError(token.location, "expected true or false for " + elementWhat() + ", found " + describeToken(token));
    }

    Shape resolveShape() {
        std::vector<std::int64_t> known;
        std::vector<std::size_t> unknown;
        for (std::size_t i = 0; i < levels_.size(); ++i) {
            if (levels_[i]) {
                known.push_back(*levels_[i]);
            } else {
                unknown.push_back(i);
            }
        }
        const auto knownCount = checkedElementCount(known, start_);
        if (nested_ || elementCount_ == 0) {
            // Levels no array reached lie below an empty array.
            for (const auto i : unknown) {
                levels_[i] = 0;
            }
        } else if (unknown.size() == 1 && knownCount > 0 && elementCount_ % knownCount == 0) {
            levels_[unknown.front()] = elementCount_ / knownCount;
        } else if (!unknown.empty()) {
            throwSyntaxError(start_, "a flat list of " + std::to_string(elementCount_) + " elements cannot fill " + typeText());
        }
        Shape shape;
        for (const auto& level : levels_) {
            shape.push_back(*level);
        }
        if (checkedElementCount(shape, start_) != elementCount_) {
            throwSyntaxError(start_, "the literal has " + std::to_string(elementCount_) + " elements, but " + typeText() +
                                         " holds " + std::to_string(elementCount(shape)));
        }
        return shape;
    }

    Tensor build(Shape shape) const {
        const auto type = type_.dataType;
        switch (storageKind(type)) {
        case StorageKind::float32: return floatTensor(std::move(shape));
        case StorageKind::int32: return Tensor::ints(type, std::move(shape), ints_);
        case StorageKind::boolean: return Tensor::bools(std::move(shape), bools_);
        case StorageKind::string: break;
        }
        if (strings_.empty()) {
            return Tensor(DataType::string, std::move(shape));
        }
        if (strings_.size() > 1) {
            throw UnknownDataTypeError(start_, "a string tensor of more than one element cannot be held by this runtime");
        }
        return Tensor::text(strings_.front()).reshaped(std::move(shape));
    }

    // Narrow types round each element to their precision; a finite element
    // they cannot hold is an error rather than an infinity.
    Tensor floatTensor(Shape shape) const {
        const auto type = type_.dataType;
        if (type != DataType::fp16 && type != DataType::bf16) {
            return Tensor::floats(type, std::move(shape), floats_);
        }
        auto rounded = Tensor::floats(DataType::fp32, std::move(shape), floats_).convertedTo(type);
        const auto values = rounded.floatValues();
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (std::isinf(values[i]) && !std::isinf(floats_[i])) {
                throwSyntaxError(start_, "element " + std::to_string(i) + " (" + std::to_string(floats_[i]) +
                                             ") does not fit in " + std::string(dataTypeName(type)));
            }
        }
        return rounded;
    }

    ProgramLexer& lexer_;
    const ValueType& type_;
    SourceLocation start_;
    std::vector<std::optional<std::int64_t>> levels_;
    bool nested_ = false;
    std::int64_t elementCount_ = 0;
    std::vector<float> floats_;
    std::vector<std::int32_t> ints_;
    std::vector<std::uint8_t> bools_;
    std::vector<std::string> strings_;
};

} // namespace

Tensor readTensorLiteral(ProgramLexer& lexer, const ValueType& type) { return TensorLiteralReader(lexer, type).read(); }

std::uint64_t readUnsignedInteger(const Token& token, const std::string& what) {
    const auto value = integerFromToken(token);
    if (!value || (value->negative && value->magnitude != 0)) {
        throwSyntaxError(token.location, "expected a non-negative integer for " + what + ", found " + describeToken(token));
    }
    return value->magnitude;
}

} // namespace platform::coreml::mil
