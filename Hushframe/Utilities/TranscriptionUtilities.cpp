#include "Hushframe/Utilities/TranscriptionUtilities.hpp"

#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Regex.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace hushframe::TranscriptionUtilities {

namespace {

std::string twoDecimals(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(value));
    return buffer;
}

std::string normalizedWord(const std::string& word) {
    std::string text = platform::text::lowercased(word);
    std::replace(text.begin(), text.end(), '-', ' ');
    std::string kept;
    for (const auto& character : platform::text::characters(text)) {
        if (!platform::text::characterIs(character, platform::text::isPunctuation)) {
            kept += character;
        }
    }
    static const platform::Regex spaceRuns(" +");
    return platform::text::trimWhitespaceAndNewlines(spaceRuns.replaceAll(kept, " "));
}

std::size_t commonPrefixLength(const std::vector<WordTiming>& first, const std::vector<WordTiming>& second) {
    const std::size_t pairs = std::min(first.size(), second.size());
    std::size_t n = 0;
    while (n < pairs && normalizedWord(first[n].word) == normalizedWord(second[n].word)) {
        ++n;
    }
    return n;
}

std::string mergedText(const std::vector<std::shared_ptr<const TranscriptionResult>>& results,
                       const std::optional<std::vector<WordTiming>>& confirmedWords) {
    std::string text;
    if (confirmedWords) {
        for (const auto& word : *confirmedWords) {
            text += word.word;
        }
        return text;
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        text += (i == 0 ? "" : " ") + (results[i] ? results[i]->text() : std::string());
    }
    return text;
}

TranscriptionTimings mergedTimings(const std::vector<TranscriptionTimings>& all) {
    TranscriptionTimings merged;
    if (all.empty()) {
        merged.pipelineStart = 0;
        merged.firstTokenTime = 0;
        merged.inputAudioSeconds = 0;
        return merged;
    }
    const auto smallest = [&](double TranscriptionTimings::*field) {
        double value = std::numeric_limits<double>::infinity();
        for (const auto& t : all) value = std::min(value, t.*field);
        return value;
    };
    const auto largest = [&](double TranscriptionTimings::*field) {
        double value = -std::numeric_limits<double>::infinity();
        for (const auto& t : all) value = std::max(value, t.*field);
        return value;
    };
    const auto sum = [&](double TranscriptionTimings::*field) {
        double value = 0;
        for (const auto& t : all) value += t.*field;
        return value;
    };
    using T = TranscriptionTimings;
    merged.pipelineStart = smallest(&T::pipelineStart);
    merged.firstTokenTime = smallest(&T::firstTokenTime);
    for (auto field : {&T::modelLoading, &T::prewarmLoadTime, &T::encoderLoadTime, &T::decoderLoadTime,
                       &T::tokenizerLoadTime}) {
        merged.*field = largest(field);
    }
    merged.encoderSpecializationTime = 0;
    merged.decoderSpecializationTime = 0;
    for (auto field : {&T::inputAudioSeconds, &T::audioLoading, &T::audioProcessing, &T::logmels, &T::encoding,
                       &T::decodingInit, &T::decodingLoop, &T::decodingPredictions, &T::decodingFiltering,
                       &T::decodingSampling, &T::decodingFallback, &T::decodingWindowing, &T::decodingKvCaching,
                       &T::decodingWordTimestamps, &T::decodingNonPrediction, &T::totalAudioProcessingRuns,
                       &T::totalLogmelRuns, &T::totalEncodingRuns, &T::totalDecodingLoops, &T::totalKVUpdateRuns,
                       &T::totalTimestampAlignmentRuns, &T::totalDecodingFallbacks, &T::totalDecodingWindows}) {
        merged.*field = sum(field);
    }
    double latestEnd = -std::numeric_limits<double>::infinity();
    for (const auto& t : all) latestEnd = std::max(latestEnd, t.pipelineStart + t.fullPipeline);
    merged.fullPipeline = std::min(sum(&T::fullPipeline), latestEnd - merged.pipelineStart);
    return merged;
}

} // namespace

TranscriptionSegment updateSegmentTimings(const TranscriptionSegment& segment, float seekTime) {
    TranscriptionSegment moved = segment;
    moved.seek += static_cast<std::int64_t>(seekTime * 16000.0f);
    moved.start += seekTime;
    moved.end += seekTime;
    if (moved.words) {
        for (auto& word : *moved.words) {
            word.start += seekTime;
            word.end += seekTime;
        }
    }
    return moved;
}

std::vector<std::string> formatSegments(const std::vector<TranscriptionSegment>& segments, bool withTimestamps) {
    std::vector<std::string> lines;
    lines.reserve(segments.size());
    for (const auto& segment : segments) {
        lines.push_back(withTimestamps ? "[" + twoDecimals(segment.start) + " --> " + twoDecimals(segment.end) + "] " +
                                             segment.text
                                       : segment.text);
    }
    return lines;
}

std::vector<WordTiming> findLongestCommonPrefix(const std::vector<WordTiming>& first,
                                                const std::vector<WordTiming>& second) {
    const auto n = static_cast<std::ptrdiff_t>(commonPrefixLength(first, second));
    return {second.begin(), second.begin() + n};
}

std::vector<WordTiming> findLongestDifferentSuffix(const std::vector<WordTiming>& first,
                                                   const std::vector<WordTiming>& second) {
    const auto n = static_cast<std::ptrdiff_t>(commonPrefixLength(first, second));
    return {second.begin() + n, second.end()};
}

std::unique_ptr<TranscriptionResult>
mergeTranscriptionResults(const std::vector<std::shared_ptr<const TranscriptionResult>>& results,
                          const std::optional<std::vector<WordTiming>>& confirmedWords) {
    std::vector<TranscriptionSegment> segments;
    std::vector<TranscriptionTimings> timings;
    std::optional<std::string> language;
    std::int64_t position = 0;
    for (const auto& result : results) {
        if (!result) {
            continue;
        }
        std::int64_t index = 0;
        for (auto segment : result->segments()) {
            segment.id = position + index++;
            segments.push_back(std::move(segment));
        }
        timings.push_back(result->timings());
        if (!language) {
            language = result->language();
        }
        ++position;
    }
    return std::make_unique<TranscriptionResult>(mergedText(results, confirmedWords), std::move(segments),
                                                 language.value_or("en"), mergedTimings(timings));
}

} // namespace hushframe::TranscriptionUtilities
