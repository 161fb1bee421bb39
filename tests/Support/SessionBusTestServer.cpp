#include "tests/Support/SessionBusTestServer.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>

extern char** environ;

namespace testsupport {

namespace {

std::string configuration(const std::string& folder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" + folder + "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <servicedir>" + folder + "/services</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

SessionBusTestServer::SessionBusTestServer() {
    start();
}

void SessionBusTestServer::start() {
    const std::string folder = folder_.path().string();
    std::filesystem::create_directories(folder_ / "services");
    const std::string config = folder_.write("session.conf", configuration(folder)).string();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        failure_ = "no pipe for the bus address";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::array<std::string, 4> arguments{"dbus-daemon", "--config-file=" + config, "--nofork", "--print-address"};
    std::array<char*, arguments.size() + 1> argv{};
    for (std::size_t i = 0; i < arguments.size(); ++i) argv[i] = arguments[i].data();
    const int spawned = posix_spawnp(&daemon_, "dbus-daemon", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        daemon_ = -1;
        close(pipeEnds[0]);
        failure_ = "the dbus-daemon program could not be started";
        return;
    }
    // The daemon prints its address once it accepts connections.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (address_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (poll(&readable, 1, 200) <= 0) continue;
        char chunk[256];
        const ssize_t count = read(pipeEnds[0], chunk, sizeof chunk);
        if (count <= 0) break;
        address_.append(chunk, static_cast<std::size_t>(count));
    }
    close(pipeEnds[0]);
    const auto end = address_.find('\n');
    if (end == std::string::npos) {
        failure_ = "the private session bus gave no address";
        return;
    }
    address_.resize(end);
    environment_.set("DBUS_SESSION_BUS_ADDRESS", address_);
}

SessionBusTestServer::~SessionBusTestServer() {
    if (daemon_ <= 0) return;
    kill(daemon_, SIGTERM);
    int status = 0;
    waitpid(daemon_, &status, 0);
}

} // namespace testsupport
