#pragma once
// A microphone for tests of live capture: the engines it makes deliver
// exactly the blocks the test speaks, on the test's own thread, and write
// what was done to them into one event list ("make 1", "device 1 7",
// "start 1", "stop 1", "removeTap 1", "destroy 1").

#include "Platform/Audio/CaptureEngine.hpp"
#include "Platform/Audio/CaptureError.hpp"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hushframe::testing {

class VirtualMicrophone {
public:
    explicit VirtualMicrophone(platform::audio::AudioFormat format = platform::audio::AudioFormat::standard())
        : format_(format) {}

    // When set, starting an engine fails with this reason.
    std::optional<std::string> startError;
    std::vector<std::string> events;

    // A factory for AudioProcessor; the microphone must outlive the engines.
    std::function<std::unique_ptr<platform::audio::CaptureEngine>()> factory() {
        return [this]() -> std::unique_ptr<platform::audio::CaptureEngine> {
            return std::make_unique<Engine>(*this, ++made_);
        };
    }

    // One block (the same samples on every channel) to every running engine with a tap.
    void speak(const std::vector<float>& samples) {
        auto block = *platform::audio::PCMBuffer::make(format_, static_cast<std::uint32_t>(samples.size()));
        block.setFrameLength(static_cast<std::uint32_t>(samples.size()));
        for (std::uint32_t channel = 0; channel < format_.channelCount(); ++channel) {
            std::copy(samples.begin(), samples.end(), block.floatChannelData(channel));
        }
        for (Engine* engine : engines_) {
            if (engine->running && engine->tap) engine->tap(block);
        }
    }

    std::vector<std::uint32_t> tapSizes() const { return tapSizes_; }

private:
    class Engine final : public platform::audio::CaptureEngine {
    public:
        Engine(VirtualMicrophone& microphone, int id) : microphone_(microphone), id_(id) {
            microphone_.engines_.push_back(this);
            note("make");
        }
        ~Engine() override {
            note("destroy");
            std::erase(microphone_.engines_, this);
        }
        void setInputDevice(const std::string& device) override {
            device_ = device;
            microphone_.events.push_back("device " + std::to_string(id_) + " " + device);
        }
        std::string inputDevice() const override { return device_; }
        platform::audio::AudioFormat inputFormat() override { return microphone_.format_; }
        void installTap(std::uint32_t bufferSize, const platform::audio::AudioFormat&, TapBlock block) override {
            microphone_.tapSizes_.push_back(bufferSize);
            tap = std::move(block);
        }
        void removeTap() override {
            note("removeTap");
            tap = nullptr;
        }
        void start() override {
            note("start");
            if (microphone_.startError) throw platform::audio::CaptureError(*microphone_.startError);
            running = true;
        }
        void stop() override {
            note("stop");
            running = false;
        }

        TapBlock tap;
        bool running = false;

    private:
        void note(const std::string& what) { microphone_.events.push_back(what + " " + std::to_string(id_)); }

        VirtualMicrophone& microphone_;
        int id_;
        std::string device_;
    };

    platform::audio::AudioFormat format_;
    std::vector<Engine*> engines_;
    std::vector<std::uint32_t> tapSizes_;
    int made_ = 0;
};

} // namespace hushframe::testing
