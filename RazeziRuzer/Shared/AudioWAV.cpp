#include "RazeziRuzer/Shared/AudioWAV.hpp"

#include "Platform/Accel/VectorOps.hpp"
#include "Platform/Audio/AudioError.hpp"
#include "RazeziRuzer/Shared/AudioConverterError.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>

namespace razeziruzer {

namespace {

constexpr std::size_t headerSize = 44;
constexpr double largest32 = std::numeric_limits<std::uint32_t>::max();

void put(std::vector<std::uint8_t>& bytes, std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void put16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

[[noreturn]] void refuse(const std::string& reason) {
    throw AudioConverterError::conversionFailed(std::make_exception_ptr(
        platform::audio::AudioError(platform::audio::AudioErrorKind::invalidArgument, reason)));
}

} // namespace

std::int16_t AudioWAV::quantize(float sample) {
    if (std::isnan(sample)) return 0;
    if (sample >= 1) return 32767;
    return static_cast<std::int16_t>(std::max(sample, -1.0f) * 32767.0f);
}

std::vector<std::uint8_t> AudioWAV::data(std::span<const float> from, double sampleRate, bool normalize) {
    if (!(sampleRate >= 0) || std::trunc(sampleRate * 2) > largest32) {
        refuse("A WAV header cannot hold the sample rate " + doubleText(sampleRate));
    }
    if (from.size() > (largest32 - 36) / 2) {
        refuse("A WAV file cannot hold " + std::to_string(from.size()) + " samples");
    }
    const auto dataBytes = static_cast<std::uint32_t>(from.size() * 2);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(headerSize + dataBytes);
    put(bytes, "RIFF");
    put32(bytes, dataBytes + 36);
    put(bytes, "WAVE");
    put(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, 1);
    put32(bytes, static_cast<std::uint32_t>(sampleRate));
    put32(bytes, static_cast<std::uint32_t>(sampleRate * 2));
    put16(bytes, 2);
    put16(bytes, 16);
    put(bytes, "data");
    put32(bytes, dataBytes);

    const float peak = normalize ? platform::accel::maxMagnitude(from) : 0.0f;
    const bool divide = normalize && peak > 0;
    for (const float sample : from) {
        put16(bytes, static_cast<std::uint16_t>(quantize(divide ? sample / peak : sample)));
    }
    return bytes;
}

} // namespace razeziruzer
