#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"

#include "Platform/Text/Utf8.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALineReader.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace razeziruzer {

const float ARPALanguageModel::log10ToNat = 2.3025851f;
const float ARPALanguageModel::unkLogProb = -23.026f;

namespace {

const AppLogger& logger() {
    static const AppLogger instance("ARPALanguageModel");
    return instance;
}

// A whole field as a number: no surrounding spaces, nothing left over.
std::optional<float> parseNumber(const std::string& field) {
    if (field.empty() || std::isspace(static_cast<unsigned char>(field.front()))) return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(field.c_str(), &end);
    if (end != field.c_str() + field.size()) return std::nullopt;
    return value;
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == '\t' || c == ' ') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

float backoffField(const std::vector<std::string>& fields, std::size_t index) {
    if (fields.size() <= index) return 0;
    const auto value = parseNumber(fields[index]);
    return value ? *value * ARPALanguageModel::log10ToNat : 0;
}

// Why a data line must not be stored; empty when it is sound. An empty field
// (two separators in a row) would shift the words into the wrong places and a
// NaN would spread through every beam score.
std::string refusal(const std::vector<std::string>& fields, float logProb) {
    for (const auto& field : fields) {
        if (field.empty()) return "doubled separator";
    }
    if (std::isnan(logProb)) return "log-probability is not a number";
    for (std::size_t i = 2; i < fields.size(); ++i) {
        if (const auto value = parseNumber(fields[i]); value && std::isnan(*value)) return "backoff is not a number";
    }
    return {};
}

void storeDataLine(ARPALanguageModel& model, const std::string& section, const std::vector<std::string>& fields,
                   float logProb) {
    if (section == "\\1-grams:" && fields.size() >= 2) {
        model.unigrams[fields[1]] = {logProb, backoffField(fields, 2)};
    } else if (section == "\\2-grams:" && fields.size() >= 3) {
        model.bigrams[fields[1]][fields[2]] = {logProb, backoffField(fields, 3)};
    }
}

} // namespace

ARPALanguageModel ARPALanguageModel::load(const std::filesystem::path& path) {
    auto reader = ARPALineReader::open(path);
    if (!reader) throw ARPAError::cannotOpen(path.string());
    ARPALanguageModel model;
    std::string section;
    std::int64_t lineNumber = 0;
    while (auto raw = reader->nextLine()) {
        ++lineNumber;
        if (!platform::text::isValidUtf8(*raw)) throw ARPAError::invalidText(path.string(), lineNumber);
        const std::string line = platform::text::trimWhitespaceAndNewlines(*raw);
        if (line.empty() || line.starts_with("\\data\\")) continue;
        if (line == "\\end\\") break;
        if (line.starts_with("\\")) {
            section = line;
            continue;
        }
        if (line.starts_with("ngram ")) continue;
        const auto fields = splitFields(line);
        const auto first = parseNumber(fields.front());
        if (!first) {
            logger().warning("Skipping malformed ARPA line: " + line);
            continue;
        }
        const float logProb = *first * log10ToNat;
        if (const auto reason = refusal(fields, logProb); !reason.empty()) {
            logger().warning("Skipping malformed ARPA line " + std::to_string(lineNumber) + " (" + reason + "): " + line);
            continue;
        }
        storeDataLine(model, section, fields, logProb);
    }
    return model;
}

float ARPALanguageModel::score(const std::string& word, const std::optional<std::string>& prev) const {
    float backoffWeight = 0;
    if (prev) {
        if (const auto context = bigrams.find(*prev); context != bigrams.end()) {
            if (const auto pair = context->second.find(word); pair != context->second.end()) {
                return pair->second.logProb;
            }
        }
        if (const auto previous = unigrams.find(*prev); previous != unigrams.end()) {
            backoffWeight = previous->second.backoff;
        }
    }
    const auto own = unigrams.find(word);
    return backoffWeight + (own != unigrams.end() ? own->second.logProb : unkLogProb);
}

} // namespace razeziruzer
