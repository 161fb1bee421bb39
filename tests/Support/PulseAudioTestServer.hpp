#pragma once
// A private sound server for one test: its own runtime folder, a null sink as
// the default output and a pipe-fed source ("testmic", 48 kHz stereo float)
// as the default microphone. Clients of the process reach it through
// PULSE_SERVER while the server lives; the daemon is stopped at the end.

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace testsupport {

class PulseAudioTestServer {
public:
    static constexpr std::uint32_t microphoneRate = 48000;
    static constexpr std::uint32_t microphoneChannels = 2;

    PulseAudioTestServer();
    ~PulseAudioTestServer();
    PulseAudioTestServer(const PulseAudioTestServer&) = delete;
    PulseAudioTestServer& operator=(const PulseAudioTestServer&) = delete;

    // Empty when the server runs; otherwise why it could not start (for REQUIRE_TEST_HOST).
    const std::string& failure() const { return failure_; }
    bool running() const { return failure_.empty(); }

    // Writes interleaved float frames into a pipe source's pipe in the
    // server's folder ("mic.fifo" is the default microphone's). False when the
    // server did not take them within a generous limit.
    bool feedMicrophone(std::span<const float> interleaved, const std::string& pipeName = "mic.fifo") const;

    // Runs pactl against this server; its standard output, or nothing on failure.
    std::optional<std::string> pactl(const std::string& arguments) const;

    const TemporaryDirectory& folder() const { return folder_; }

private:
    bool waitUntilReachable();
    static bool writeAll(int pipe, std::span<const float> interleaved);

    TemporaryDirectory folder_;
    ScopedEnvironment environment_;
    pid_t daemon_ = -1;
    std::string failure_;
};

} // namespace testsupport
