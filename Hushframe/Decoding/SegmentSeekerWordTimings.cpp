#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/SpaceTrimming.hpp"
#include "Hushframe/Decoding/TextTokens.hpp"
#include "Hushframe/Decoding/WordAlignment.hpp"
#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace hushframe {

namespace {

bool isSentenceEnd(const std::string& text) {
    static const std::array<std::string, 6> marks{".", "\u3002", "!", "\uFF01", "?", "\uFF1F"};
    return std::find(marks.begin(), marks.end(), text) != marks.end();
}

// A contiguous part of the set's text; an empty text is part of no set.
bool occursWithin(const std::string& text, const std::string& set) {
    return !text.empty() && set.find(text) != std::string::npos;
}

float rounded2(float value) { return std::round(value * 100.0F) / 100.0F; }

WordTiming joinedWords(const WordTiming& first, const WordTiming& second, const WordTiming& timesOf) {
    WordTiming word = timesOf;
    word.word = first.word + second.word;
    word.tokens = first.tokens;
    word.tokens.insert(word.tokens.end(), second.tokens.begin(), second.tokens.end());
    return word;
}

} // namespace

std::pair<float, float> SegmentSeeker::calculateWordDurationConstraints(const std::vector<WordTiming>& alignment) {
    std::vector<float> durations;
    for (const auto& word : alignment) {
        if (word.end - word.start > 0) durations.push_back(word.end - word.start);
    }
    std::sort(durations.begin(), durations.end());
    const float median = durations.empty() ? 0.0F : std::min(durations[durations.size() / 2], 0.7F);
    return {median, 2 * median};
}

std::vector<WordTiming> SegmentSeeker::truncateLongWordsAtSentenceBoundaries(std::vector<WordTiming> alignment,
                                                                             float maxDuration) {
    for (std::size_t i = 1; i < alignment.size(); ++i) {
        auto& word = alignment[i];
        if (!(word.end - word.start > maxDuration)) continue;
        if (isSentenceEnd(word.word)) {
            word.end = word.start + maxDuration;
        } else if (isSentenceEnd(alignment[i - 1].word)) {
            word.start = word.end - maxDuration;
        }
    }
    return alignment;
}

std::vector<WordTiming> SegmentSeeker::mergePunctuations(const std::vector<WordTiming>& alignment,
                                                         const std::string& prepended, const std::string& appended) {
    if (alignment.empty()) return {};
    std::vector<WordTiming> opened;
    if (!occursWithin(trimSpaces(alignment[0].word), prepended)) opened.push_back(alignment[0]);
    for (std::size_t i = 1; i < alignment.size(); ++i) {
        const auto& previous = alignment[i - 1];
        const auto& word = alignment[i];
        const bool opening = !previous.word.empty() && (previous.word[0] == ' ' || previous.word[0] == '\t') &&
                             occursWithin(trimSpaces(previous.word), prepended);
        if (!opening) {
            opened.push_back(word);
        } else if (opened.empty()) {
            opened.push_back(joinedWords(previous, word, word));
        } else {
            opened.back() = joinedWords(previous, word, word);
        }
    }
    if (opened.empty()) return {};
    std::vector<WordTiming> closed{opened[0]};
    for (std::size_t i = 1; i < opened.size(); ++i) {
        const auto& previous = opened[i - 1];
        const auto& word = opened[i];
        if (!previous.word.ends_with(' ') && occursWithin(trimSpaces(word.word), appended)) {
            closed.back() = joinedWords(previous, word, previous);
        } else {
            closed.push_back(word);
        }
    }
    std::erase_if(closed, [&](const WordTiming& word) {
        return word.word.empty() || occursWithin(word.word, appended) || occursWithin(word.word, prepended);
    });
    return closed;
}

std::vector<TranscriptionSegment> SegmentSeeker::updateSegmentsWithWordTimings(
    std::vector<TranscriptionSegment> segments, const std::vector<WordTiming>& mergedAlignment, std::int64_t seek,
    float lastSpeechTimestamp, float median, float maxDuration, const WhisperTokenizer& tokenizer) {
    const float offset = static_cast<float>(seek) / 16000.0F;
    const int specialBegin = tokenizer.specialTokens().specialTokenBegin;
    std::size_t wordIndex = 0;
    float lastSpeech = lastSpeechTimestamp;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        auto& segment = segments[s];
        const auto target = std::count_if(segment.tokens.begin(), segment.tokens.end(),
                                          [&](int token) { return token < specialBegin; });
        std::int64_t taken = 0;
        std::vector<WordTiming> words;
        while (taken < target && wordIndex < mergedAlignment.size()) {
            const WordTiming& timing = mergedAlignment[wordIndex++];
            std::vector<int> wordTextTokens = textTokens(timing.tokens, specialBegin);
            if (wordTextTokens.empty()) continue;
            WordTiming word;
            word.word = wordTextTokens.size() == timing.tokens.size() ? timing.word : tokenizer.decode(wordTextTokens);
            word.start = rounded2(timing.start + offset);
            word.end = rounded2(timing.end + offset);
            if (word.end - word.start < 0.25F * median) {
                std::optional<float> previousEnd;
                if (!words.empty()) {
                    previousEnd = words.back().end;
                } else if (s > 0) {
                    previousEnd = segments[s - 1].end;
                }
                if (previousEnd && word.start > *previousEnd) {
                    word.start = rounded2(word.start - std::min(word.start - *previousEnd, 0.5F * median));
                }
            }
            word.probability = rounded2(timing.probability);
            taken += static_cast<std::int64_t>(wordTextTokens.size());
            word.tokens = std::move(wordTextTokens);
            words.push_back(std::move(word));
        }
        if (!words.empty()) {
            auto& first = words[0];
            const bool longFirst = first.end - first.start > maxDuration;
            const bool longPair = words.size() >= 2 && words[1].end - first.start > 2 * maxDuration;
            if (first.end - lastSpeech > 4 * median && (longFirst || longPair)) {
                if (words.size() >= 2 && words[1].end - words[1].start > maxDuration) {
                    const float boundary = std::max(words[1].end * 0.5F, words[1].end - maxDuration);
                    first.end = boundary;
                    words[1].start = boundary;
                }
                first.start = std::max(lastSpeech, first.end - maxDuration);
            }
            if (segment.start < first.end && segment.start - 0.5F > first.start) {
                first.start = std::max(0.0F, std::min(first.end - median, segment.start));
            } else {
                segment.start = first.start;
            }
            auto& last = words.back();
            if (segment.end > last.start && segment.end + 0.5F < last.end) {
                last.end = std::max(last.start + median, segment.end);
                lastSpeech = segment.end;
            } else {
                segment.end = last.end;
                lastSpeech = last.end;
            }
        }
        segment.words = std::move(words);
    }
    return segments;
}

std::optional<std::vector<TranscriptionSegment>> SegmentSeeker::addWordTimestamps(
    const std::vector<TranscriptionSegment>& segments, const platform::coreml::MLMultiArray& alignmentWeights,
    const WhisperTokenizer& tokenizer, std::int64_t seek, std::int64_t, const std::string& prependPunctuations,
    const std::string& appendPunctuations, float lastSpeechTimestamp, const DecodingOptions&,
    const TranscriptionTimings&) {
    std::vector<int> wordTokenIds;
    std::vector<float> tokenLogProbs;
    for (const auto& segment : segments) {
        for (std::size_t j = 0; j < segment.tokens.size(); ++j) {
            const int token = segment.tokens[j];
            wordTokenIds.push_back(token);
            if (j < segment.tokenLogProbs.size()) {
                if (const auto found = segment.tokenLogProbs[j].find(token); found != segment.tokenLogProbs[j].end()) {
                    tokenLogProbs.push_back(found->second);
                }
            }
        }
    }
    const auto& shape = alignmentWeights.shape();
    if (shape.empty()) throw WhisperError::segmentingFailed("Invalid shape in alignmentWeights");
    AlignmentMatrix matrix;
    matrix.rows = static_cast<std::int64_t>(wordTokenIds.size());
    matrix.columns = shape.back();
    matrix.values.assign(static_cast<std::size_t>(matrix.rows * matrix.columns), 0.0);
    // Rows past the end of the weights stay zero.
    const std::int64_t weightRows = shape.size() >= 2 ? shape[shape.size() - 2] : 1;
    for (std::int64_t k = 0; k < std::min(matrix.rows, weightRows); ++k) {
        for (std::int64_t j = 0; j < matrix.columns; ++j) {
            matrix.values[static_cast<std::size_t>(k * matrix.columns + j)] =
                alignmentWeights[k * matrix.columns + j].doubleValue();
        }
    }
    pelluxcore::Logging::debug("Alignment weights shape: [" + std::to_string(matrix.rows) + ", " +
                               std::to_string(matrix.columns) + "]");
    const auto alignment = WordAlignment::findAlignment(wordTokenIds, matrix, tokenLogProbs, tokenizer);
    const auto [median, maxDuration] = calculateWordDurationConstraints(alignment);
    auto truncated = truncateLongWordsAtSentenceBoundaries(alignment, maxDuration);
    if (!truncated.empty()) truncated = mergePunctuations(truncated, prependPunctuations, appendPunctuations);
    return updateSegmentsWithWordTimings(segments, truncated, seek, lastSpeechTimestamp, median, maxDuration,
                                         tokenizer);
}

} // namespace hushframe
