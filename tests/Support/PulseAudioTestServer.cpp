#include "tests/Support/PulseAudioTestServer.hpp"

#include <pulse/pulseaudio.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

constexpr auto startLimit = std::chrono::seconds(20);

// One connection attempt; true when the server answered.
bool serverAnswers() {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "probe");
    bool ready = false;
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) ready = true;
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) break;
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0) break;
        }
    }
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

} // namespace

PulseAudioTestServer::PulseAudioTestServer() {
    const std::string dir = folder_.path().string();
    environment_.set("PULSE_RUNTIME_PATH", dir);
    environment_.set("HOME", dir);
    environment_.set("XDG_RUNTIME_DIR", dir);
    environment_.set("XDG_CONFIG_HOME", dir + "/config");
    environment_.set("PULSE_SERVER", "unix:" + dir + "/native");
    environment_.unset("PULSE_SINK");
    environment_.unset("PULSE_SOURCE");

    const std::string script = folder_.write("server.pa",
        "load-module module-native-protocol-unix socket=" + dir + "/native auth-anonymous=1\n"
        "load-module module-null-sink sink_name=testsink\n"
        "load-module module-pipe-source source_name=testmic file=" + dir +
        "/mic.fifo format=float32le rate=48000 channels=2\n"
        "set-default-sink testsink\n"
        "set-default-source testmic\n").string();
    const std::string log = dir + "/server.log";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::array<std::string, 8> arguments{"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                         "--system=no", "--disallow-exit", "-F", script};
    std::array<char*, arguments.size() + 1> argv{};
    for (std::size_t i = 0; i < arguments.size(); ++i) argv[i] = arguments[i].data();
    const int spawned = posix_spawnp(&daemon_, "pulseaudio", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        daemon_ = -1;
        failure_ = "the pulseaudio program could not be started";
        return;
    }
    waitUntilReachable();
}

PulseAudioTestServer::~PulseAudioTestServer() {
    if (daemon_ > 0) {
        kill(daemon_, SIGTERM);
        int status = 0;
        waitpid(daemon_, &status, 0);
    }
}

bool PulseAudioTestServer::waitUntilReachable() {
    // The daemon gives no readiness signal when it stays in the foreground,
    // so the socket is probed until it answers or the daemon has gone.
    const auto deadline = std::chrono::steady_clock::now() + startLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(daemon_, &status, WNOHANG) == daemon_) {
            daemon_ = -1;
            std::ifstream log(folder_.path() / "server.log");
            std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
            failure_ = "the test sound server exited at start: " + text;
            return false;
        }
        if (serverAnswers()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    failure_ = "the test sound server did not answer in time";
    return false;
}

bool PulseAudioTestServer::feedMicrophone(std::span<const float> interleaved, const std::string& pipeName) const {
    // The server holds the pipe open for reading, so this open never waits.
    const int pipe = open((folder_.path() / pipeName).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (pipe < 0) return false;
    const bool complete = writeAll(pipe, interleaved);
    close(pipe);
    return complete;
}

bool PulseAudioTestServer::writeAll(int pipe, std::span<const float> interleaved) {
    const auto* bytes = reinterpret_cast<const char*>(interleaved.data());
    std::size_t remaining = interleaved.size_bytes();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (remaining > 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        pollfd writable{pipe, POLLOUT, 0};
        if (poll(&writable, 1, 100) <= 0) continue;
        const ssize_t written = write(pipe, bytes, remaining);
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return false;
        }
        bytes += written;
        remaining -= static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> PulseAudioTestServer::pactl(const std::string& arguments) const {
    FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string output;
    std::array<char, 512> chunk{};
    while (const std::size_t count = fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), count);
    return pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

} // namespace testsupport
