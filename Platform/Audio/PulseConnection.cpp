#include "Platform/Audio/PulseConnection.hpp"

#include "Platform/Core/Logger.hpp"

namespace platform::audio {
namespace {

const Logger& audioLogger() {
    static const Logger logger("platform", "audio");
    return logger;
}

} // namespace

std::unique_ptr<PulseConnection> PulseConnection::connect(const std::string& clientName) {
    pa_threaded_mainloop* mainloop = pa_threaded_mainloop_new();
    if (!mainloop) return nullptr;
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(mainloop), clientName.c_str());
    if (!context) {
        pa_threaded_mainloop_free(mainloop);
        return nullptr;
    }
    // From here the destructor releases both, whatever happens.
    std::unique_ptr<PulseConnection> connection(new PulseConnection(mainloop, context));
    pa_context_set_state_callback(context, &PulseConnection::onContextState, connection.get());
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        audioLogger().info("Audio: cannot reach the sound server: " + connection->lastError());
        return nullptr;
    }
    if (pa_threaded_mainloop_start(mainloop) < 0) return nullptr;
    Lock lock(*connection);
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) return connection;
        if (!PA_CONTEXT_IS_GOOD(state)) {
            audioLogger().info("Audio: cannot reach the sound server: " + connection->lastError());
            return nullptr; // Lock is released before the connection goes
        }
        connection->wait();
    }
}

PulseConnection* PulseConnection::ensure(std::unique_ptr<PulseConnection>& connection, const std::string& clientName) {
    if (!connection || !connection->isReady()) {
        connection.reset();
        connection = connect(clientName);
    }
    return connection.get();
}

PulseConnection::PulseConnection(pa_threaded_mainloop* mainloop, pa_context* context)
    : mainloop_(mainloop), context_(context) {}

PulseConnection::~PulseConnection() {
    pa_threaded_mainloop_lock(mainloop_);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    pa_threaded_mainloop_unlock(mainloop_);
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
}

PulseConnection::Lock::Lock(const PulseConnection& connection) : mainloop_(connection.mainloop_) {
    pa_threaded_mainloop_lock(mainloop_);
}

PulseConnection::Lock::~Lock() { pa_threaded_mainloop_unlock(mainloop_); }

bool PulseConnection::isReady() const {
    Lock lock(*this);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

std::string PulseConnection::lastError() const { return pa_strerror(pa_context_errno(context_)); }

bool PulseConnection::await(pa_operation* operation) const {
    if (!operation) return false;
    pa_operation_set_state_callback(
        operation, [](pa_operation*, void* userdata) { static_cast<PulseConnection*>(userdata)->signal(); },
        const_cast<PulseConnection*>(this));
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING &&
           PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
        wait();
    }
    pa_operation_unref(operation);
    return true;
}

void PulseConnection::onContextState(pa_context*, void* userdata) {
    static_cast<PulseConnection*>(userdata)->signal();
}

} // namespace platform::audio
