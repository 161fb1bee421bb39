#include "RazeziRuzer/Shared/ASRPerformanceMetrics.hpp"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace razeziruzer {

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string ASRPerformanceMetrics::summary() const {
    std::string text = "Performance Metrics:";
    text += "\n- Preprocessor: " + formatted("%.3f", preprocessorTime) + "s";
    text += "\n- Encoder: " + formatted("%.3f", encoderTime) + "s";
    text += "\n- Decoder: " + formatted("%.3f", decoderTime) + "s";
    text += "\n- Total: " + formatted("%.3f", totalProcessingTime) + "s";
    text += "\n- RTFx: " + formatted("%.1f", rtfx) + "x real-time";
    text += "\n- Peak Memory: " + formatted("%.1f", peakMemoryMB) + " MB";
    text += "\n- GPU Utilization: " + (gpuUtilization ? formatted("%.1f%%", *gpuUtilization) : std::string("N/A"));
    return text;
}

void to_json(nlohmann::ordered_json& json, const ASRPerformanceMetrics& metrics) {
    json = nlohmann::ordered_json{{"preprocessorTime", metrics.preprocessorTime},
                                  {"encoderTime", metrics.encoderTime},
                                  {"decoderTime", metrics.decoderTime},
                                  {"totalProcessingTime", metrics.totalProcessingTime},
                                  {"rtfx", metrics.rtfx},
                                  {"peakMemoryMB", metrics.peakMemoryMB}};
    if (metrics.gpuUtilization) json["gpuUtilization"] = *metrics.gpuUtilization;
}

void from_json(const nlohmann::ordered_json& json, ASRPerformanceMetrics& metrics) {
    ASRPerformanceMetrics decoded;
    json.at("preprocessorTime").get_to(decoded.preprocessorTime);
    json.at("encoderTime").get_to(decoded.encoderTime);
    json.at("decoderTime").get_to(decoded.decoderTime);
    json.at("totalProcessingTime").get_to(decoded.totalProcessingTime);
    json.at("rtfx").get_to(decoded.rtfx);
    json.at("peakMemoryMB").get_to(decoded.peakMemoryMB);
    if (const auto gpu = json.find("gpuUtilization"); gpu != json.end() && !gpu->is_null()) {
        decoded.gpuUtilization = gpu->get<float>();
    }
    metrics = decoded;
}

} // namespace razeziruzer
