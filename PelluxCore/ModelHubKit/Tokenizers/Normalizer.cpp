#include "PelluxCore/ModelHubKit/Tokenizers/Normalizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/ComponentSupport.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TextPattern.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Normalization.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <vector>

namespace modelhubkit {
namespace {

class UnicodeForm final : public Normalizer {
public:
    explicit UnicodeForm(platform::text::NormalizationForm form) : form_(form) {}
    std::string normalize(std::string text) const override { return platform::text::normalize(text, form_); }

private:
    platform::text::NormalizationForm form_;
};

class Lowercase final : public Normalizer {
public:
    std::string normalize(std::string text) const override { return platform::text::lowercased(text); }
};

class StripAccents final : public Normalizer {
public:
    std::string normalize(std::string text) const override { return platform::text::foldDiacritics(text); }
};

class Replace final : public Normalizer {
public:
    explicit Replace(const nlohmann::json& object)
        : pattern_(compileTextPattern(object.at("pattern"))), content_(object.at("content").get<std::string>()) {}
    std::string normalize(std::string text) const override {
        return pattern_.replace(text, [this](const platform::RegexMatch&) { return content_; });
    }

private:
    platform::Regex pattern_;
    std::string content_;
};

class Prepend final : public Normalizer {
public:
    explicit Prepend(std::string prefix) : prefix_(std::move(prefix)) {}
    std::string normalize(std::string text) const override { return text.empty() ? text : prefix_ + text; }

private:
    std::string prefix_;
};

class Strip final : public Normalizer {
public:
    Strip(bool left, bool right) : left_(left), right_(right) {}
    std::string normalize(std::string text) const override {
        std::size_t begin = 0;
        std::size_t end = text.size();
        if (left_) {
            for (std::size_t next = 0; begin < end && platform::text::isWhitespace(utf8::nextScalar(text, next));) begin = next;
        }
        if (right_) {
            while (end > begin) {
                std::size_t start = end - 1;
                while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
                std::size_t next = start;
                if (!platform::text::isWhitespace(utf8::nextScalar(text, next))) break;
                end = start;
            }
        }
        return text.substr(begin, end - begin);
    }

private:
    bool left_;
    bool right_;
};

bool isChineseCharacter(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x20000 && c <= 0x2A6DF) ||
           (c >= 0x2A700 && c <= 0x2B73F) || (c >= 0x2B740 && c <= 0x2B81F) || (c >= 0x2B820 && c <= 0x2CEAF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

bool isControl(char32_t c) {
    return (c < 0x20 || (c >= 0x7F && c <= 0x9F)) && c != '\t' && c != '\n' && c != '\r';
}

// Bert's clean-up: drops control characters, turns every white space into a
// plain space, spaces out CJK ideographs, and optionally lower-cases and strips accents.
class BertNormalizer final : public Normalizer {
public:
    explicit BertNormalizer(const nlohmann::json& object)
        : cleanText_(json::valueOr(object, "clean_text", true)),
          handleChineseCharacters_(json::valueOr(object, "handle_chinese_chars", true)),
          lowercase_(json::valueOr(object, "lowercase", true)),
          stripAccents_(json::valueOr(object, "strip_accents", lowercase_)) {}

    std::string normalize(std::string text) const override {
        std::string out;
        out.reserve(text.size());
        std::size_t offset = 0;
        while (offset < text.size()) {
            const char32_t c = utf8::nextScalar(text, offset);
            if (cleanText_ && (c == 0 || c == 0xFFFD || isControl(c))) continue;
            if (cleanText_ && platform::text::isWhitespace(c)) {
                out += ' ';
            } else if (handleChineseCharacters_ && isChineseCharacter(c)) {
                out += ' ';
                utf8::append(out, c);
                out += ' ';
            } else {
                utf8::append(out, c);
            }
        }
        if (stripAccents_) out = platform::text::foldDiacritics(out);
        if (lowercase_) out = platform::text::lowercased(out);
        return out;
    }

private:
    bool cleanText_;
    bool handleChineseCharacters_;
    bool lowercase_;
    bool stripAccents_;
};

class Sequence final : public Normalizer {
public:
    explicit Sequence(std::vector<std::unique_ptr<Normalizer>> steps) : steps_(std::move(steps)) {}
    std::string normalize(std::string text) const override {
        for (const auto& step : steps_) text = step->normalize(std::move(text));
        return text;
    }

private:
    std::vector<std::unique_ptr<Normalizer>> steps_;
};

} // namespace

std::unique_ptr<Normalizer> makeNormalizer(const nlohmann::json& normalizer, bool strict, int depth) {
    using platform::text::NormalizationForm;
    if (normalizer.is_null()) return nullptr;
    const std::string type = componentType(normalizer, "normalizer");
    if (type == "NFC") return std::make_unique<UnicodeForm>(NormalizationForm::nfc);
    if (type == "NFD") return std::make_unique<UnicodeForm>(NormalizationForm::nfd);
    if (type == "NFKC") return std::make_unique<UnicodeForm>(NormalizationForm::nfkc);
    if (type == "NFKD") return std::make_unique<UnicodeForm>(NormalizationForm::nfkd);
    if (type == "Lowercase") return std::make_unique<Lowercase>();
    if (type == "StripAccents") return std::make_unique<StripAccents>();
    if (type == "Replace") return std::make_unique<Replace>(normalizer);
    if (type == "Prepend") return std::make_unique<Prepend>(normalizer.at("prepend").get<std::string>());
    if (type == "Strip") {
        return std::make_unique<Strip>(json::valueOr(normalizer, "strip_left", true), json::valueOr(normalizer, "strip_right", true));
    }
    if (type == "BertNormalizer") return std::make_unique<BertNormalizer>(normalizer);
    if (type == "Sequence") {
        checkSequenceNesting(depth, "normalizer");
        std::vector<std::unique_ptr<Normalizer>> steps;
        for (const auto& step : normalizer.at("normalizers")) {
            if (auto made = makeNormalizer(step, strict, depth + 1)) steps.push_back(std::move(made));
        }
        return std::make_unique<Sequence>(std::move(steps));
    }
    return unsupportedComponent<Normalizer>("normalizer", type, strict);
}

} // namespace modelhubkit
