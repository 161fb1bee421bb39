#include "Hushframe/Core/Models/TranscriptionTimings.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

#include <array>
#include <utility>

namespace hushframe {

namespace {

using Field = std::pair<const char*, double TranscriptionTimings::*>;

constexpr std::array<Field, 33> fields = {{
    {"pipelineStart", &TranscriptionTimings::pipelineStart},
    {"firstTokenTime", &TranscriptionTimings::firstTokenTime},
    {"inputAudioSeconds", &TranscriptionTimings::inputAudioSeconds},
    {"modelLoading", &TranscriptionTimings::modelLoading},
    {"prewarmLoadTime", &TranscriptionTimings::prewarmLoadTime},
    {"encoderLoadTime", &TranscriptionTimings::encoderLoadTime},
    {"decoderLoadTime", &TranscriptionTimings::decoderLoadTime},
    {"encoderSpecializationTime", &TranscriptionTimings::encoderSpecializationTime},
    {"decoderSpecializationTime", &TranscriptionTimings::decoderSpecializationTime},
    {"tokenizerLoadTime", &TranscriptionTimings::tokenizerLoadTime},
    {"audioLoading", &TranscriptionTimings::audioLoading},
    {"audioProcessing", &TranscriptionTimings::audioProcessing},
    {"logmels", &TranscriptionTimings::logmels},
    {"encoding", &TranscriptionTimings::encoding},
    {"decodingInit", &TranscriptionTimings::decodingInit},
    {"decodingLoop", &TranscriptionTimings::decodingLoop},
    {"decodingPredictions", &TranscriptionTimings::decodingPredictions},
    {"decodingFiltering", &TranscriptionTimings::decodingFiltering},
    {"decodingSampling", &TranscriptionTimings::decodingSampling},
    {"decodingFallback", &TranscriptionTimings::decodingFallback},
    {"decodingWindowing", &TranscriptionTimings::decodingWindowing},
    {"decodingKvCaching", &TranscriptionTimings::decodingKvCaching},
    {"decodingWordTimestamps", &TranscriptionTimings::decodingWordTimestamps},
    {"decodingNonPrediction", &TranscriptionTimings::decodingNonPrediction},
    {"totalAudioProcessingRuns", &TranscriptionTimings::totalAudioProcessingRuns},
    {"totalLogmelRuns", &TranscriptionTimings::totalLogmelRuns},
    {"totalEncodingRuns", &TranscriptionTimings::totalEncodingRuns},
    {"totalDecodingLoops", &TranscriptionTimings::totalDecodingLoops},
    {"totalKVUpdateRuns", &TranscriptionTimings::totalKVUpdateRuns},
    {"totalTimestampAlignmentRuns", &TranscriptionTimings::totalTimestampAlignmentRuns},
    {"totalDecodingFallbacks", &TranscriptionTimings::totalDecodingFallbacks},
    {"totalDecodingWindows", &TranscriptionTimings::totalDecodingWindows},
    {"fullPipeline", &TranscriptionTimings::fullPipeline},
}};

} // namespace

void to_json(nlohmann::ordered_json& json, const TranscriptionTimings& timings) {
    json = nlohmann::ordered_json::object();
    for (const auto& [key, member] : fields) json[key] = timings.*member;
}

void from_json(const nlohmann::ordered_json& json, TranscriptionTimings& timings) {
    TranscriptionTimings read;
    for (const auto& [key, member] : fields) {
        read.*member = jsonfield::required<double>(json, key);
    }
    timings = read;
}

} // namespace hushframe
