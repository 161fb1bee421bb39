#include "OstrelVirorez/Entry/SingleInstance.hpp"

#include "Platform/Core/Error.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ostrelvirorez {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view request = "activate\n";
constexpr std::string_view acknowledgement = "ok\n";
constexpr std::chrono::milliseconds requestWait{500};

fs::path lockFile(const fs::path& folder) { return folder / "instance.lock"; }
fs::path socketFile(const fs::path& folder) { return folder / "instance.socket"; }

platform::Error failure(const std::string& what) {
    return platform::Error(what + ": " + std::strerror(errno));
}

// The folder exists, is a real folder of this user, and nobody else may enter it.
void makePrivateFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw failure("Cannot create " + folder.string());
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) throw failure("Cannot inspect " + folder.string());
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        throw platform::Error(folder.string() + " is not a private folder of this user");
    }
}

sockaddr_un socketAddress(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) throw platform::Error("Socket path too long: " + text);
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

// Waits at most `timeout` for `descriptor` to become readable.
bool readable(int descriptor, std::chrono::milliseconds timeout) {
    pollfd watch{descriptor, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&watch, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Reads until `expected` has arrived, the peer closes or `timeout` passes.
bool receive(int descriptor, std::string_view expected, std::chrono::milliseconds timeout) {
    std::string received;
    while (received.size() < expected.size() && readable(descriptor, timeout)) {
        char buffer[16];
        const auto count = ::read(descriptor, buffer, std::min(sizeof buffer, expected.size() - received.size()));
        if (count <= 0) break;
        received.append(buffer, static_cast<std::size_t>(count));
    }
    return received == expected;
}

void send(int descriptor, std::string_view text) {
    [[maybe_unused]] const auto written = ::send(descriptor, text.data(), text.size(), MSG_NOSIGNAL);
}

} // namespace

fs::path SingleInstance::sessionFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && fs::path(runtime).is_absolute()) return fs::path(runtime) / "OstrelVirorez";
    return fs::temp_directory_path() / ("OstrelVirorez-" + std::to_string(::getuid()));
}

SingleInstance::SingleInstance(fs::path folder) : folder_(std::move(folder)) {
    makePrivateFolder(folder_);
    lock_ = ::open(lockFile(folder_).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_ < 0) throw failure("Cannot open " + lockFile(folder_).string());
    if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return;
        throw failure("Cannot lock " + lockFile(folder_).string());
    }
    listenOnSocket();
}

SingleInstance::~SingleInstance() {
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socketFile(folder_).c_str());
    }
    if (lock_ >= 0) ::close(lock_);
}

void SingleInstance::listenOnSocket() {
    // Holding the lock, this process is the only one that may own the
    // socket; one left by an instance that crashed is replaced.
    const auto path = socketFile(folder_);
    ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) throw failure("Cannot make the instance socket");
    const auto address = socketAddress(path);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0) {
        const auto error = failure("Cannot listen on " + path.string());
        ::close(listener);
        throw error;
    }
    listener_ = listener;
}

std::unique_ptr<QSocketNotifier> SingleInstance::listen(std::function<void()> onActivate) {
    onActivate_ = std::move(onActivate);
    auto watch = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    QObject::connect(watch.get(), &QSocketNotifier::activated, [this] { serveRequests(); });
    return watch;
}

void SingleInstance::serveRequests() {
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR) continue;
            return;
        }
        answer(connection);
    }
}

void SingleInstance::answer(int connection) {
    const bool asked = receive(connection, request, requestWait);
    if (asked) send(connection, acknowledgement);
    ::close(connection);
    if (asked && onActivate_) onActivate_();
}

bool SingleInstance::activatePrimary(std::chrono::milliseconds timeout) const {
    const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0) return false;
    const auto address = socketAddress(socketFile(folder_));
    bool answered = false;
    if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        send(connection, request);
        answered = receive(connection, acknowledgement, timeout);
    }
    ::close(connection);
    return answered;
}

} // namespace ostrelvirorez
