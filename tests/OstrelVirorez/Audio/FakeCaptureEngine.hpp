#pragma once
// A capture engine the test drives by hand: a fixed input format, blocks
// handed to the tap on request, and a start that can be made to fail.

#include "OstrelVirorez/Audio/AudioCaptureEngine.hpp"
#include "OstrelVirorez/Audio/AudioEngineError.hpp"

#include <optional>

namespace ostrelvirorez::testing {

class FakeCaptureEngine final : public AudioCaptureEngine {
public:
    struct Calls {
        int installTap = 0;
        int removeTap = 0;
        int start = 0;
        int stop = 0;
    };

    explicit FakeCaptureEngine(platform::audio::AudioFormat format) : format_(format) {}

    void setInputDevice(const std::string& deviceIdentifier) override { device_ = deviceIdentifier; }
    std::string inputDevice() const override { return device_; }
    platform::audio::AudioFormat inputFormat() override { return format_; }
    void installTap(std::uint32_t bufferSize, const platform::audio::AudioFormat&, TapBlock block) override {
        ++calls.installTap;
        bufferSize_ = bufferSize;
        tap_ = std::move(block);
    }
    void removeTap() override {
        ++calls.removeTap;
        tap_ = nullptr;
    }
    void start() override {
        ++calls.start;
        if (startError) throw AudioEngineError(*startError);
    }
    void stop() override { ++calls.stop; }

    bool hasTap() const { return static_cast<bool>(tap_); }
    std::uint32_t tapBufferSize() const { return bufferSize_; }
    void deliver(const platform::audio::PCMBuffer& block) const {
        if (tap_) tap_(block);
    }

    Calls calls;
    std::optional<std::string> startError;

private:
    platform::audio::AudioFormat format_;
    std::string device_;
    std::uint32_t bufferSize_ = 0;
    TapBlock tap_;
};

} // namespace ostrelvirorez::testing
