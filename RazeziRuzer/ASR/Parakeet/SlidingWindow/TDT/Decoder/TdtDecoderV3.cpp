#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV3.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/EncoderFrameView.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDurationMapping.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtStepBuffers.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"
#include "RazeziRuzer/Shared/TokenLanguageFilter.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureProvider;
using platform::coreml::MLModel;
using platform::coreml::MLMultiArray;

float clampedScore(float probability) {
    if (!std::isfinite(probability)) return 0;
    return std::clamp(probability, 0.0f, 1.0f);
}

// Everything one decoding call works with besides the loop counters.
struct Step {
    TdtDecoderV3& decoder;
    const EncoderFrameView& view;
    const MLModel& decoderModel;
    const MLModel& jointModel;
    TdtDecoderState& state;
    TdtStepBuffers buffers;
    int pendingToken;

    // The cached projection, or the decoder run on the pending token (not cached),
    // laid out into the joint's decoder-step array.
    void prepareProjection() {
        if (state.predictorOutput) {
            TdtModelInference::normalizeDecoderProjection(*state.predictorOutput, buffers.decoderStep);
            return;
        }
        const auto output = runDecoder(pendingToken);
        TdtModelInference::normalizeDecoderProjection(projectionOf(output), buffers.decoderStep);
    }

    platform::coreml::MLDictionaryFeatureProvider runDecoder(int token) {
        auto output = decoder.modelInference.runDecoder(token, state, decoderModel, buffers.tokenInput,
                                                        buffers.lengthInput);
        state.update(output);
        return output;
    }

    static MLMultiArray projectionOf(const MLFeatureProvider& output) {
        const auto value = output.featureValue("decoder");
        auto array = value ? value->multiArrayValue() : std::nullopt;
        if (!array) throw ASRError::processingFailed("Invalid decoder output");
        return *array;
    }

    TdtJointDecision joint(int frame, bool needsTopK) {
        return decoder.modelInference.runJointPrepared(
            view, frame, buffers.decoderStep, jointModel, buffers.encoderStep, buffers.encoderStepPointer(),
            buffers.encoderStepStride(), buffers.jointInput, buffers.tokenIdOutput, buffers.tokenProbOutput,
            buffers.durationOutput, needsTopK);
    }
};

} // namespace

const std::unordered_set<int>& TdtDecoderV3::englishBlocklistIds() {
    static const std::unordered_set<int> ids{
        506,  1502, 575,  1976, 2530, 1180, 3247, 1868, 1050, 7603, 1974, 5831, 1647, 3109, 924,
        4020, 4250, 1714, 4908, 4223, 6167, 2783, 4396, 3357, 4611, 3470, 6843, 4333, 4980, 1491,
        3592, 2681, 1960, 547,  2336, 750,  1842, 3285, 3629, 1103, 4384, 1535, 4421, 5726};
    return ids;
}

MLMultiArray TdtDecoderV3::extractFeatureValue(const MLFeatureProvider& from, const char* key,
                                               const char* errorMessage) {
    const auto value = from.featureValue(key);
    auto array = value ? value->multiArrayValue() : std::nullopt;
    if (!array) throw ASRError::processingFailed(errorMessage);
    return *array;
}

TdtHypothesis TdtDecoderV3::decodeWithTimings(const MLMultiArray& encoderOutput, int encoderSequenceLength,
                                              int actualAudioFrames, const MLModel& decoderModel,
                                              const MLModel& jointModel, TdtDecoderState& decoderState,
                                              int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
                                              std::optional<Language> language, const Vocabulary* vocabulary,
                                              std::optional<int> emitTokensAfterGlobalFrame,
                                              std::optional<int> initialTimeIndexOverride, std::stop_token stop) {
    if (encoderSequenceLength < 2) return TdtHypothesis(decoderState);
    const EncoderFrameView view(encoderOutput, encoderSequenceLength, config.encoderHiddenSize());
    TdtHypothesis hypothesis(decoderState);

    int start = contextFrameAdjustment;
    if (initialTimeIndexOverride) {
        start = *initialTimeIndexOverride;
    } else if (decoderState.timeJump) {
        const int jump = *decoderState.timeJump;
        start = contextFrameAdjustment == 0 && jump == 0 ? 25 : std::max(0, contextFrameAdjustment + jump);
    }
    const int frames = std::min(encoderSequenceLength, actualAudioFrames);
    if (start >= frames) return hypothesis;

    const auto& tdt = config.tdtConfig();
    const int blankId = tdt.blankId;
    const bool needsTopK = language.has_value();
    const bool blocklistApplies = language && script(*language) == Script::latin && *language != Language::english;
    Step step{*this, view, decoderModel, jointModel, decoderState, TdtStepBuffers(config.encoderHiddenSize()),
              decoderState.lastToken.value_or(blankId)};

    if (!decoderState.lastToken && !decoderState.predictorOutput) {
        decoderState.hiddenState.fill(0);
        decoderState.cellState.fill(0);
        const auto output = step.runDecoder(blankId);
        decoderState.predictorOutput = extractFeatureValue(output, "decoder", "Invalid decoder output");
    }

    std::optional<int> lastTokenOfCall;
    auto emit = [&](int label, int frame, int duration, float score) {
        const int global = frame + globalFrameOffset;
        if (!emitTokensAfterGlobalFrame || global >= *emitTokensAfterGlobalFrame) {
            hypothesis.append(label, global, duration, score);
        }
        hypothesis.lastToken = label;
        lastTokenOfCall = label;
        step.pendingToken = label;
        const auto output = step.runDecoder(label);
        decoderState.predictorOutput = extractFeatureValue(output, "decoder", "Invalid decoder output");
    };
    // Joint at frame t with the filters of the main loop applied.
    int label = blankId;
    float score = 0;
    int duration = 0;
    auto decide = [&](int t) {
        const auto decision = step.joint(t, needsTopK);
        label = decision.tokenId;
        score = clampedScore(decision.probability);
        tokenLanguageFilter(label, score, decision.topKIds, decision.topKLogits, language, vocabulary, blankId);
        if (blocklistApplies && decision.topKIds && decision.topKLogits && vocabulary) {
            applyEnglishBlocklist(label, score, decision.topKIds, decision.topKLogits, vocabulary, blankId);
        }
        duration = TdtDurationMapping::mapDurationBin(decision.durationBin, tdt.durationBins);
    };

    const int lastFrame = frames - 1;
    int t = start;
    int nextT = start;
    int emitted = 0;
    int symbolsAtFrame = 0;
    int lastEmissionFrame = -1;
    while (t < frames) {
        platform::checkCancellation(stop);
        step.prepareProjection();
        decide(t);
        int skip = 0;
        if (label == blankId) {
            skip = duration == 0 ? 1 : duration;
        } else if (duration != 0) {
            skip = duration;
        } else {
            skip = t == lastEmissionFrame && symbolsAtFrame > 0 ? 1 : 0;
        }
        nextT = t + skip;
        while (label == blankId && nextT < frames) {
            platform::checkCancellation(stop);
            t = nextT;
            decide(t);
            skip = label == blankId && duration == 0 ? 1 : duration;
            nextT = t + skip;
        }
        if (label == blankId || nextT >= frames) {
            t = nextT;
            continue;
        }
        if (++emitted > tdt.maxTokensPerChunk) break;
        emit(label, t, skip, score);
        bool forceForward = false;
        if (t == lastEmissionFrame) {
            forceForward = ++symbolsAtFrame >= tdt.maxSymbolsPerStep;
        } else if (tdt.maxSymbolsPerStep >= 2) {
            symbolsAtFrame = 1;
            lastEmissionFrame = t;
        } else {
            forceForward = true;
        }
        if (forceForward) {
            nextT = std::min(nextT + 1, lastFrame);
            symbolsAtFrame = 0;
            lastEmissionFrame = -1;
        }
        t = nextT;
    }

    if (isLastChunk && tdt.maxSymbolsPerStep >= 1) {
        int current = nextT;
        int blanks = 0;
        const int lastViewFrame = static_cast<int>(view.count) - 1;
        for (int pass = 0; pass < tdt.maxSymbolsPerStep && blanks < tdt.consecutiveBlankLimit; ++pass) {
            platform::checkCancellation(stop);
            step.prepareProjection();
            const int candidates[3] = {std::min(lastViewFrame, current), std::min(lastViewFrame, frames - 1),
                                       std::min(lastViewFrame, std::max(0, frames - 2))};
            const auto decision = step.joint(candidates[pass % 3], needsTopK);
            const float flushScore = clampedScore(decision.probability);
            const int advanceBin = TdtDurationMapping::mapDurationBin(decision.durationBin, tdt.durationBins);
            if (decision.tokenId == blankId) {
                ++blanks;
            } else {
                emit(decision.tokenId, std::min(current, lastFrame), advanceBin, flushScore);
                blanks = 0;
            }
            current = std::min(current + (advanceBin <= 0 ? 1 : advanceBin), frames);
        }
    }

    if (isLastChunk) decoderState.predictorOutput.reset();
    if (lastTokenOfCall) decoderState.lastToken = lastTokenOfCall;
    if (decoderState.lastToken && ASRConstants::isPunctuationToken(*decoderState.lastToken)) {
        decoderState.predictorOutput.reset();
    }
    decoderState.timeJump = isLastChunk ? std::nullopt : std::optional<int>(nextT - frames);
    hypothesis.decState->hiddenState = decoderState.hiddenState;
    hypothesis.decState->cellState = decoderState.cellState;
    return hypothesis;
}

void TdtDecoderV3::tokenLanguageFilter(int& label, float& score, const std::optional<std::vector<int>>& topKIds,
                                       const std::optional<std::vector<float>>& topKLogits,
                                       std::optional<Language> language, const Vocabulary* vocabulary, int blankId) {
    if (label == blankId || !language || !vocabulary || vocabulary->empty() || !topKIds || !topKLogits ||
        topKIds->empty()) {
        return;
    }
    const auto text = vocabulary->find(label);
    if (text == vocabulary->end()) return;
    const auto bare = TokenLanguageFilter::withoutWordBoundaries(text->second);
    const auto preferred = script(*language);
    if (bare.empty() || isWrittenIn(bare, preferred)) return;
    if (const auto candidate = TokenLanguageFilter::filterTopK(*topKIds, *topKLogits, *vocabulary, preferred)) {
        label = candidate->tokenId;
        score = clampedScore(candidate->probability);
    }
}

void TdtDecoderV3::applyEnglishBlocklist(int& label, float& score, const std::optional<std::vector<int>>& topKIds,
                                         const std::optional<std::vector<float>>& topKLogits,
                                         const Vocabulary* vocabulary, int blankId) {
    const auto& blocklist = englishBlocklistIds();
    if (!topKIds || !topKLogits || !vocabulary || label == blankId || !blocklist.contains(label)) return;
    const auto& ids = *topKIds;
    const auto& logits = *topKLogits;
    const std::size_t n = std::min(ids.size(), logits.size());
    if (n == 0) return;
    std::optional<std::size_t> kept;
    for (std::size_t i = 0; i < n; ++i) {
        const int id = ids[i];
        if (id == blankId || blocklist.contains(id)) continue;
        const auto text = vocabulary->find(id);
        if (text == vocabulary->end()) continue;
        if (!TokenLanguageFilter::tokenIsWrittenIn(text->second, Script::latin)) continue;
        if (!kept || logits[i] > logits[*kept]) kept = i;
    }
    if (!kept) return;
    const float largest = *std::max_element(logits.begin(), logits.end());
    float sum = 0;
    for (const float logit : logits) sum += std::exp(logit - largest);
    label = ids[*kept];
    score = sum > 0 ? std::exp(logits[*kept] - largest) / sum : 0;
}

} // namespace razeziruzer
