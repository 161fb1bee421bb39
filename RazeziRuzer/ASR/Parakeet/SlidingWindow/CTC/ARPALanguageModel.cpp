#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"

#include "Platform/Text/Utf8.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALineReader.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPANumber.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {

const float ARPALanguageModel::log10ToNat = 2.3025851f;
const float ARPALanguageModel::unkLogProb = -23.026f;

namespace {

const AppLogger& logger() {
    static const AppLogger instance("ARPALanguageModel");
    return instance;
}

enum class Section { other, unigrams, bigrams };

Section sectionNamed(std::string_view line) {
    if (line == "\\1-grams:") return Section::unigrams;
    if (line == "\\2-grams:") return Section::bigrams;
    return Section::other;
}

// Splits at every tab and space into `fields` (reused from line to line); two
// separators in a row leave an empty field.
void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t' || line[i] == ' ') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(line.substr(start));
}

// The backoff field read as a number; 0 when absent or not a number, and
// absent when it is NaN.
std::optional<float> backoffAt(const std::vector<std::string_view>& fields, std::size_t index) {
    if (fields.size() <= index) return 0.0f;
    const auto value = parseARPANumber(fields[index]);
    if (!value) return 0.0f;
    if (std::isnan(*value)) return std::nullopt;
    return *value * ARPALanguageModel::log10ToNat;
}

// One data line of an n-gram section: its words and scores, or why it must
// not be stored. An empty field (two separators in a row) would shift the
// words into the wrong places, and a NaN would spread through every beam
// score. Only the numeric fields are judged: a word may read as a number.
struct DataLine {
    std::string_view first;
    std::string_view second;
    ARPAEntry entry;
    std::string refusal;
};

DataLine refused(std::string reason) {
    DataLine line;
    line.refusal = std::move(reason);
    return line;
}

DataLine readDataLine(Section section, const std::vector<std::string_view>& fields, float logProb) {
    for (const auto field : fields) {
        if (field.empty()) return refused("doubled separator");
    }
    if (std::isnan(logProb)) return refused("log-probability is not a number");
    const bool bigram = section == Section::bigrams;
    const auto backoff = backoffAt(fields, bigram ? 3 : 2);
    if (!backoff) return refused("backoff is not a number");
    DataLine line;
    line.entry = {logProb, *backoff};
    if (fields.size() > 1) line.first = fields[1];
    if (bigram && fields.size() > 2) line.second = fields[2];
    return line;
}

} // namespace

ARPALanguageModel ARPALanguageModel::load(const std::filesystem::path& path) {
    auto reader = ARPALineReader::open(path);
    if (!reader) throw ARPAError::cannotOpen(path.string());
    ARPALanguageModel model;
    Section section = Section::other;
    std::vector<std::string_view> fields;
    std::int64_t lineNumber = 0;
    while (const auto raw = reader->nextLine()) {
        ++lineNumber;
        if (!platform::text::isValidUtf8(*raw)) throw ARPAError::invalidText(path.string(), lineNumber);
        const std::string line = platform::text::trimWhitespaceAndNewlines(*raw);
        if (line.empty() || line.starts_with("\\data\\")) continue;
        if (line == "\\end\\") break;
        if (line.starts_with("\\")) {
            section = sectionNamed(line);
            continue;
        }
        if (line.starts_with("ngram ")) continue;
        splitFields(line, fields);
        const auto first = parseARPANumber(fields.front());
        if (!first) {
            logger().warning("Skipping malformed ARPA line: " + line);
            continue;
        }
        if (section == Section::other) continue;
        const DataLine data = readDataLine(section, fields, *first * log10ToNat);
        if (!data.refusal.empty()) {
            logger().warning("Skipping malformed ARPA line " + std::to_string(lineNumber) + " (" + data.refusal +
                             "): " + line);
            continue;
        }
        if (section == Section::unigrams && fields.size() >= 2) {
            model.setUnigram(data.first, data.entry);
        } else if (section == Section::bigrams && fields.size() >= 3) {
            model.setBigram(data.first, data.second, data.entry);
        }
    }
    return model;
}

std::uint32_t ARPALanguageModel::idOf(std::string_view word) {
    if (const auto found = wordIds_.find(word); found != wordIds_.end()) return found->second;
    const auto id = static_cast<std::uint32_t>(unigrams_.size());
    wordIds_.emplace(std::string(word), id);
    longestWordBytes_ = std::max(longestWordBytes_, word.size());
    unigrams_.emplace_back();
    return id;
}

std::optional<std::uint32_t> ARPALanguageModel::findId(std::string_view word) const {
    const auto found = wordIds_.find(word);
    if (found == wordIds_.end()) return std::nullopt;
    return found->second;
}

void ARPALanguageModel::setUnigram(std::string_view word, Entry entry) {
    auto& slot = unigrams_[idOf(word)];
    if (!slot) ++unigramCount_;
    slot = entry;
}

void ARPALanguageModel::setBigram(std::string_view prev, std::string_view word, Entry entry) {
    const std::uint32_t first = idOf(prev);
    bigrams_.set(first, idOf(word), entry);
}

std::optional<ARPALanguageModel::Entry> ARPALanguageModel::unigram(std::string_view word) const {
    const auto id = findId(word);
    return id ? unigrams_[*id] : std::nullopt;
}

std::optional<ARPALanguageModel::Entry> ARPALanguageModel::bigram(std::string_view prev, std::string_view word) const {
    const auto first = findId(prev);
    const auto second = findId(word);
    if (!first || !second) return std::nullopt;
    return bigrams_.find(*first, *second);
}

float ARPALanguageModel::score(std::string_view word, const std::optional<std::string>& prev) const {
    return score(findId(word), prev ? findId(*prev) : std::nullopt);
}

float ARPALanguageModel::score(std::optional<std::uint32_t> word, std::optional<std::uint32_t> prev) const {
    float backoffWeight = 0;
    if (prev) {
        if (word) {
            if (const auto pair = bigrams_.find(*prev, *word)) return pair->logProb;
        }
        if (const auto& entry = unigrams_[*prev]) backoffWeight = entry->backoff;
    }
    const auto& entry = word ? unigrams_[*word] : std::nullopt;
    return backoffWeight + (entry ? entry->logProb : unkLogProb);
}

} // namespace razeziruzer
