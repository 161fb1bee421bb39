#include "OstrelVirorez/Audio/AudioDeviceManager.hpp"

namespace ostrelvirorez {
namespace {

const std::string clientName = "OstrelVirorez Devices";

struct SourceListing {
    const PulseConnection* connection;
    std::vector<AudioInputDevice> devices;
    bool complete = false;
};

void collectSource(pa_context*, const pa_source_info* info, int endOfList, void* userdata) {
    auto* listing = static_cast<SourceListing*>(userdata);
    if (endOfList != 0) {
        listing->complete = endOfList > 0;
        listing->connection->signal();
        return;
    }
    if (!info || info->monitor_of_sink != PA_INVALID_INDEX || info->channel_map.channels < 1) return;
    if (!info->name || !*info->name || !info->description || !*info->description) return;
    listing->devices.push_back({info->index, info->description, info->name});
}

} // namespace

AudioDeviceManager::AudioDeviceManager(platform::MainQueue& mainQueue)
    : mainQueue_(mainQueue), self_(std::make_shared<AudioDeviceManager*>(this)) {}

AudioDeviceManager::~AudioDeviceManager() { removeListener(); }

void AudioDeviceManager::refreshDevices() {
    const bool reconnecting = !connection_ || !connection_->isReady();
    PulseConnection* connection = PulseConnection::ensure(connection_, clientName);
    if (!connection) return;
    if (reconnecting && listening_) subscribe(*connection);
    if (auto devices = readSources(*connection)) inputDevices_.set(std::move(*devices));
}

std::optional<std::vector<AudioInputDevice>> AudioDeviceManager::readSources(PulseConnection& connection) const {
    SourceListing listing{&connection, {{0, "System Default", ""}}};
    PulseConnection::Lock lock(connection);
    if (!connection.await(pa_context_get_source_info_list(connection.context(), &collectSource, &listing)) ||
        !listing.complete) {
        return std::nullopt;
    }
    return std::move(listing.devices);
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
