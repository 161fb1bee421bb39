#include "tests/Support/SecretServiceTestServer.hpp"

#include <dbus/dbus.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {
namespace {

constexpr auto startLimit = std::chrono::seconds(20);
constexpr const char* serviceName = "org.freedesktop.secrets";

// One question to the bus; false also when the bus cannot be reached.
bool nameHasOwner(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(address.c_str(), &error);
    bool owned = false;
    if (connection != nullptr && dbus_bus_register(connection, &error)) {
        owned = dbus_bus_name_has_owner(connection, serviceName, &error);
    }
    if (connection != nullptr) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
    dbus_error_free(&error);
    return owned;
}

} // namespace

SecretServiceTestServer::SecretServiceTestServer() {
    if (!bus_.running()) {
        failure_ = bus_.failure();
        return;
    }
    startDaemon();
    if (failure_.empty()) waitUntilServing();
}

SecretServiceTestServer::~SecretServiceTestServer() {
    if (daemon_ <= 0) return;
    kill(daemon_, SIGTERM);
    int status = 0;
    waitpid(daemon_, &status, 0);
}

void SecretServiceTestServer::startDaemon() {
    const std::string home = home_.path().string();
    std::filesystem::create_directories(home_ / "data");
    std::filesystem::create_directories(home_ / "run");
    std::filesystem::permissions(home_ / "run", std::filesystem::perms::owner_all);

    // The daemon reads the unlock password from its standard input.
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        failure_ = "no pipe for the keyring password";
        return;
    }
    const std::string log = home + "/daemon.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    std::vector<std::string> arguments{"gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"};
    std::vector<std::string> environment{"HOME=" + home, "XDG_DATA_HOME=" + home + "/data",
                                         "XDG_CONFIG_HOME=" + home + "/config", "XDG_RUNTIME_DIR=" + home + "/run",
                                         "DBUS_SESSION_BUS_ADDRESS=" + bus_.address()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        const auto name = variable.substr(0, variable.find('='));
        if (name != "HOME" && !name.starts_with("XDG_") && name != "DBUS_SESSION_BUS_ADDRESS" && name != "DISPLAY") {
            environment.emplace_back(variable);
        }
    }
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int spawned = posix_spawnp(&daemon_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    if (spawned != 0) {
        daemon_ = -1;
        close(input[1]);
        failure_ = "the gnome-keyring-daemon program could not be started (is gnome-keyring installed?)";
        return;
    }
    const std::string password = unlockPassword;
    [[maybe_unused]] const auto written = write(input[1], password.data(), password.size());
    close(input[1]);
}

bool SecretServiceTestServer::waitUntilServing() {
    const auto deadline = std::chrono::steady_clock::now() + startLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(daemon_, &status, WNOHANG) == daemon_) {
            daemon_ = -1;
            failure_ = "the keyring daemon exited at start: " + daemonLog();
            return false;
        }
        if (nameHasOwner(bus_.address())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    failure_ = "the keyring daemon did not take the Secret Service name in time: " + daemonLog();
    return false;
}

std::string SecretServiceTestServer::daemonLog() const {
    return home_.read("daemon.log");
}

} // namespace testsupport
