#pragma once
// One client connection to the sound server: a threaded main loop of its own
// and a context on it. Callbacks of the connection run on the loop's thread;
// callers take the loop's lock around every call into the client library and
// wait there for the answers they need.

#include <pulse/pulseaudio.h>

#include <memory>
#include <string>

namespace platform::audio {

class PulseConnection {
public:
    // Null when the server cannot be reached; never starts a server of its own.
    static std::unique_ptr<PulseConnection> connect(const std::string& clientName);
    // Keeps `connection` when it is still usable, else connects anew.
    static PulseConnection* ensure(std::unique_ptr<PulseConnection>& connection, const std::string& clientName);

    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Holds the loop's lock for its lifetime.
    class Lock {
    public:
        explicit Lock(const PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* mainloop_;
    };

    pa_context* context() const { return context_; }
    pa_threaded_mainloop* mainloop() const { return mainloop_; }
    bool isReady() const;
    // The last error of the context, as text.
    std::string lastError() const;

    // With the lock held: blocks until `operation` is done (or the connection
    // fails) and releases it. False when there was no operation to wait for.
    bool await(pa_operation* operation) const;
    // With the lock held: sleeps until a callback signals the loop.
    void wait() const { pa_threaded_mainloop_wait(mainloop_); }
    // From a callback on the loop's thread: wakes the waiting caller.
    void signal() const { pa_threaded_mainloop_signal(mainloop_, 0); }

private:
    PulseConnection(pa_threaded_mainloop* mainloop, pa_context* context);
    static void onContextState(pa_context* context, void* userdata);

    pa_threaded_mainloop* mainloop_;
    pa_context* context_;
};

} // namespace platform::audio
