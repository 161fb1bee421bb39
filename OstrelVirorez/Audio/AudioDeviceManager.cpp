#include "OstrelVirorez/Audio/AudioDeviceManager.hpp"

#include "Platform/Audio/CaptureSource.hpp"

namespace ostrelvirorez {
namespace {

const std::string clientName = "OstrelVirorez Devices";

// Recording through the server's default source needs no list from the
// server, so it is offered even before (or without) an answer.
AudioInputDevice systemDefault() { return {0, "System Default", ""}; }

} // namespace

AudioDeviceManager::AudioDeviceManager(platform::MainQueue& mainQueue)
    : inputDevices_(std::vector<AudioInputDevice>{systemDefault()}),
      mainQueue_(mainQueue),
      self_(std::make_shared<AudioDeviceManager*>(this)) {}

AudioDeviceManager::~AudioDeviceManager() { removeListener(); }

void AudioDeviceManager::refreshDevices() {
    const bool reconnecting = !connection_ || !connection_->isReady();
    PulseConnection* connection = PulseConnection::ensure(connection_, clientName);
    if (!connection) return;
    if (reconnecting && listening_) subscribe(*connection);
    if (auto devices = readSources(*connection)) inputDevices_.set(std::move(*devices));
}

std::optional<std::vector<AudioInputDevice>> AudioDeviceManager::readSources(PulseConnection& connection) const {
    auto sources = platform::audio::listCaptureSources(connection);
    if (!sources) return std::nullopt;
    std::vector<AudioInputDevice> devices{systemDefault()};
    for (auto& source : *sources) {
        // A source without a name cannot be chosen again, nor one without a text to show.
        if (source.name.empty() || source.description.empty()) continue;
        devices.push_back({source.index, std::move(source.description), std::move(source.name)});
    }
    return devices;
}

void AudioDeviceManager::installDeviceChangeListener() {
    listening_ = true;
    if (PulseConnection* connection = PulseConnection::ensure(connection_, clientName)) subscribe(*connection);
}

void AudioDeviceManager::subscribe(PulseConnection& connection) {
    PulseConnection::Lock lock(connection);
    pa_context_set_subscribe_callback(connection.context(), &AudioDeviceManager::onSourceEvent, this);
    connection.await(pa_context_subscribe(connection.context(), PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
}

void AudioDeviceManager::removeListener() {
    if (!connection_ || !listening_) return;
    PulseConnection::Lock lock(*connection_);
    pa_context_set_subscribe_callback(connection_->context(), nullptr, nullptr);
    if (pa_context_get_state(connection_->context()) == PA_CONTEXT_READY) {
        connection_->await(pa_context_subscribe(connection_->context(), PA_SUBSCRIPTION_MASK_NULL, nullptr, nullptr));
    }
}

void AudioDeviceManager::onSourceEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* userdata) {
    auto* manager = static_cast<AudioDeviceManager*>(userdata);
    manager->mainQueue_.post([weak = std::weak_ptr<AudioDeviceManager*>(manager->self_)] {
        if (const auto self = weak.lock()) (*self)->refreshDevices();
    });
}

} // namespace ostrelvirorez
