#include "PelluxCore/ModelHubKit/Tokenizers/Decoder.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/ByteLevelAlphabet.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/ComponentSupport.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TextPattern.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace modelhubkit {
namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

class ByteLevel final : public Decoder {
public:
    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        for (auto& token : tokens) {
            std::string bytes;
            ByteLevelAlphabet::shared().decode(token, bytes);
            token = std::move(bytes);
        }
        return tokens;
    }
};

// Joins word pieces: "##" pieces continue the word before, every other piece
// starts a new word after a space; optionally removes the space tokenization
// put before punctuation and contractions.
class WordPiece final : public Decoder {
public:
    WordPiece(std::string prefix, bool cleanup) : prefix_(std::move(prefix)), cleanup_(cleanup) {}

    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            auto& token = tokens[i];
            if (i > 0) {
                if (!prefix_.empty() && token.starts_with(prefix_)) token.erase(0, prefix_.size());
                else token.insert(0, " ");
            }
            if (cleanup_) cleanUp(token);
        }
        return tokens;
    }

private:
    static void cleanUp(std::string& text) {
        static constexpr std::array<std::pair<std::string_view, std::string_view>, 10> spacings{{
            {" .", "."}, {" ?", "?"}, {" !", "!"}, {" ,", ","}, {" ' ", "'"},
            {" n't", "n't"}, {" 'm", "'m"}, {" 's", "'s"}, {" 've", "'ve"}, {" 're", "'re"},
        }};
        for (const auto& [from, to] : spacings) replaceAll(text, from, to);
    }

    std::string prefix_;
    bool cleanup_;
};

class Metaspace final : public Decoder {
public:
    explicit Metaspace(const nlohmann::json& object)
        : replacement_(json::stringOr(object, "replacement", "\xE2\x96\x81")),
          stripLeadingSpace_(json::stringOr(object, "prepend_scheme",
                                            json::valueOr(object, "add_prefix_space", true) ? "always" : "never") != "never") {}

    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            replaceAll(tokens[i], replacement_, " ");
            if (i == 0 && stripLeadingSpace_ && tokens[i].starts_with(' ')) tokens[i].erase(0, 1);
        }
        return tokens;
    }

private:
    std::string replacement_;
    bool stripLeadingSpace_;
};

class Replace final : public Decoder {
public:
    explicit Replace(const nlohmann::json& object)
        : pattern_(compileTextPattern(object.at("pattern"))), content_(object.at("content").get<std::string>()) {}

    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        for (auto& token : tokens) token = pattern_.replace(token, [this](const platform::RegexMatch&) { return content_; });
        return tokens;
    }

private:
    platform::Regex pattern_;
    std::string content_;
};

// Byte tokens ("<0xE2>") that follow each other are joined into the text
// their bytes spell; bytes that spell no valid text become U+FFFD, one per byte.
class ByteFallback final : public Decoder {
public:
    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        std::vector<std::string> pieces;
        std::string bytes;
        std::size_t byteTokens = 0;
        const auto flush = [&] {
            if (byteTokens == 0) return;
            if (utf8::makeValid(bytes) == bytes) {
                pieces.push_back(bytes);
            } else {
                std::string replacements;
                for (std::size_t i = 0; i < byteTokens; ++i) replacements += "\xEF\xBF\xBD";
                pieces.push_back(std::move(replacements));
            }
            bytes.clear();
            byteTokens = 0;
        };
        for (auto& token : tokens) {
            if (const auto byte = byteOf(token)) {
                bytes += static_cast<char>(*byte);
                ++byteTokens;
            } else {
                flush();
                pieces.push_back(std::move(token));
            }
        }
        flush();
        return pieces;
    }

private:
    static std::optional<unsigned char> byteOf(std::string_view token) {
        if (token.size() != 6 || !token.starts_with("<0x") || token.back() != '>') return std::nullopt;
        unsigned value = 0;
        for (const char c : token.substr(3, 2)) {
            value <<= 4;
            if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
            else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
            else return std::nullopt;
        }
        return static_cast<unsigned char>(value);
    }
};

class Fuse final : public Decoder {
public:
    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        std::string joined;
        for (const auto& token : tokens) joined += token;
        return {std::move(joined)};
    }
};

// Removes up to `start` leading and `stop` trailing copies of one character from each token.
class Strip final : public Decoder {
public:
    explicit Strip(const nlohmann::json& object)
        : content_(json::stringOr(object, "content", " ")),
          start_(json::valueOr<std::size_t>(object, "start", 0)),
          stop_(json::valueOr<std::size_t>(object, "stop", 0)) {}

    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        if (content_.empty()) return tokens;
        for (auto& token : tokens) {
            for (std::size_t i = 0; i < start_ && token.starts_with(content_); ++i) token.erase(0, content_.size());
            for (std::size_t i = 0; i < stop_ && token.ends_with(content_); ++i) token.resize(token.size() - content_.size());
        }
        return tokens;
    }

private:
    std::string content_;
    std::size_t start_;
    std::size_t stop_;
};

class Sequence final : public Decoder {
public:
    explicit Sequence(std::vector<std::unique_ptr<Decoder>> steps) : steps_(std::move(steps)) {}

    std::vector<std::string> decodeChain(std::vector<std::string> tokens) const override {
        for (const auto& step : steps_) tokens = step->decodeChain(std::move(tokens));
        return tokens;
    }

private:
    std::vector<std::unique_ptr<Decoder>> steps_;
};

} // namespace

std::unique_ptr<Decoder> makeDecoder(const nlohmann::json& decoder, bool strict, int depth) {
    if (decoder.is_null()) return nullptr;
    const std::string type = componentType(decoder, "decoder");
    if (type == "ByteLevel") return std::make_unique<ByteLevel>();
    if (type == "WordPiece") {
        return std::make_unique<WordPiece>(json::stringOr(decoder, "prefix", "##"), json::valueOr(decoder, "cleanup", true));
    }
    if (type == "Metaspace") return std::make_unique<Metaspace>(decoder);
    if (type == "Replace") return std::make_unique<Replace>(decoder);
    if (type == "ByteFallback") return std::make_unique<ByteFallback>();
    if (type == "Fuse") return std::make_unique<Fuse>();
    if (type == "Strip") return std::make_unique<Strip>(decoder);
    if (type == "Sequence") {
        checkSequenceNesting(depth, "decoder");
        std::vector<std::unique_ptr<Decoder>> steps;
        for (const auto& step : decoder.at("decoders")) {
            if (auto made = makeDecoder(step, strict, depth + 1)) steps.push_back(std::move(made));
        }
        return std::make_unique<Sequence>(std::move(steps));
    }
    return unsupportedComponent<Decoder>("decoder", type, strict);
}

} // namespace modelhubkit
