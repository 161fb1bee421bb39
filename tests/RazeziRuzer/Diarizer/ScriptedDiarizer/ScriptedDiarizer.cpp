#include "tests/RazeziRuzer/Diarizer/ScriptedDiarizer/ScriptedDiarizer.hpp"

#include "tests/Support/FunctionModelBackend.hpp"


#include <cmath>
#include <map>
#include <stdexcept>

namespace razeziruzer::diarizertest {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using FunctionBackend = testsupport::FunctionModelBackend;
using Outputs = std::map<std::string, MLFeatureValue>;

int codeAt(const MLMultiArray& audio, std::int64_t sample) {
    return static_cast<int>(std::lround(audio[sample].doubleValue() * 10));
}

} // namespace

std::vector<float> codedAudio(const std::vector<int>& speakerPerFrame) {
    std::vector<float> audio;
    for (const int speaker : speakerPerFrame) audio.insert(audio.end(), samplesPerFrame, static_cast<float>(speaker) / 10);
    return audio;
}

void appendSpeech(std::vector<float>& audio, int speaker, double seconds) {
    audio.insert(audio.end(), static_cast<std::size_t>(std::lround(seconds * 16000)), static_cast<float>(speaker) / 10);
}

ScriptedDiarizer::ScriptedDiarizer() {
    const auto segCalls = segmentationCalls;
    const auto failOn = failOnSegmentationCall;
    segmentation = std::make_shared<FunctionBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("audio", {1, 1, 160000}, MLMultiArrayDataType::float32)},
                                 {MLFeatureDescription::multiArray("segments", {1, frames, 7}, MLMultiArrayDataType::float32)}),
        [segCalls, failOn](const MLFeatureProvider& inputs) {
            if (++*segCalls == failOn->load()) throw std::runtime_error("segmentation failed");
            const auto audio = *inputs.featureValue("audio")->multiArrayValue();
            MLMultiArray scores({1, frames, 7}, MLMultiArrayDataType::float32);
            std::map<int, int> slots;
            for (std::int64_t f = 0; f < frames; ++f) {
                const int code = codeAt(audio, f * samplesPerFrame);
                int cls = 0;
                if (code > 0) {
                    const auto slot = slots.emplace(code, static_cast<int>(slots.size())).first->second;
                    cls = slot < 3 ? 1 + slot : 0;
                }
                scores[{0, f, cls}] = 1.0;
            }
            return Outputs{{"segments", MLFeatureValue(scores)}};
        });

    const auto embCalls = embeddingCalls;
    const auto waveformSeen = lastWaveform;
    const auto maskSeen = lastMask;
    embedding = std::make_shared<FunctionBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("waveform", {3, 160000}, MLMultiArrayDataType::float32),
                                  MLFeatureDescription::multiArray("mask", {3, frames}, MLMultiArrayDataType::float32)},
                                 {MLFeatureDescription::multiArray("embedding", {3, 256}, MLMultiArrayDataType::float32)}),
        [embCalls, waveformSeen, maskSeen](const MLFeatureProvider& inputs) {
            ++*embCalls;
            const auto waveform = *inputs.featureValue("waveform")->multiArrayValue();
            const auto mask = *inputs.featureValue("mask")->multiArrayValue();
            const auto maskFrames = mask.shape()[1];
            waveformSeen->assign(160000, 0.0f);
            for (std::int64_t i = 0; i < 160000; ++i) (*waveformSeen)[static_cast<std::size_t>(i)] = waveform[i].floatValue();
            maskSeen->assign(static_cast<std::size_t>(maskFrames), 0.0f);
            std::map<int, int> votes;
            for (std::int64_t f = 0; f < maskFrames; ++f) {
                const float m = mask[{0, f}].floatValue();
                (*maskSeen)[static_cast<std::size_t>(f)] = m;
                if (m > 0 && f * samplesPerFrame < 160000) ++votes[codeAt(waveform, f * samplesPerFrame)];
            }
            int best = 0, count = 0;
            for (const auto& [code, n] : votes) {
                if (code > 0 && code < 256 && n > count) best = code, count = n;
            }
            MLMultiArray result({3, 256}, MLMultiArrayDataType::float32);
            if (best > 0) {
                result[{0, best}] = 0.98;
                result[{0, 0}] = 0.2;
            }
            return Outputs{{"embedding", MLFeatureValue(result)}};
        });
}

platform::coreml::MLModel ScriptedDiarizer::segmentationModel() const { return platform::coreml::MLModel(segmentation); }
platform::coreml::MLModel ScriptedDiarizer::embeddingModel() const { return platform::coreml::MLModel(embedding); }

} // namespace razeziruzer::diarizertest
