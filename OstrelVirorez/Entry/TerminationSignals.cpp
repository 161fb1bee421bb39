#include "OstrelVirorez/Entry/TerminationSignals.hpp"

#include "Platform/Core/Error.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ostrelvirorez {

namespace {

constexpr std::array handledSignals{SIGINT, SIGTERM, SIGHUP};

// The write end of the pipe; a signal handler can reach nothing else.
volatile std::sig_atomic_t signalPipe = -1;

void onSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const auto written = ::write(signalPipe, &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals) ::sigaction(number, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> quit) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw platform::Error(std::string("Cannot watch termination signals: ") + std::strerror(errno));
    }
    signalPipe = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [fd = pipe_[0], quit = std::move(quit)] {
        unsigned char drained[16];
        while (::read(fd, drained, sizeof drained) > 0) {
        }
        quit();
    });
    setHandler(&onSignal);
}

TerminationSignals::~TerminationSignals() {
    setHandler(SIG_DFL);
    signalPipe = -1;
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

} // namespace ostrelvirorez
