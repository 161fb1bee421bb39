#pragma once
// The list of microphones the user can choose from: "System Default" first,
// then every capture source of the sound server that is not the monitor of an
// output. "System Default" is listed even while no sound server answers. It
// follows the server's source changes once the listener is installed. Main
// queue only.

#include "OstrelVirorez/App/Ports/AudioDeviceManaging.hpp"
#include "OstrelVirorez/Audio/AudioInputDevice.hpp"
#include "OstrelVirorez/Audio/PulseConnection.hpp"

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ostrelvirorez {

class AudioDeviceManager final : public AudioDeviceManaging {
public:
    explicit AudioDeviceManager(platform::MainQueue& mainQueue);
    ~AudioDeviceManager() override;
    AudioDeviceManager(const AudioDeviceManager&) = delete;
    AudioDeviceManager& operator=(const AudioDeviceManager&) = delete;

    // Rebuilds the list; keeps the old one when the server cannot be asked.
    void refreshDevices() override;
    // Refreshes the list on every change of the server's sources.
    void installDeviceChangeListener() override;

    std::vector<AudioInputDevice> inputDevices() const override { return inputDevices_.get(); }
    // Each new list, as one change.
    [[nodiscard]] platform::Connection observeInputDevices(std::function<void(const std::vector<AudioInputDevice>&)> slot) {
        return inputDevices_.observe(std::move(slot));
    }

private:
    std::optional<std::vector<AudioInputDevice>> readSources(PulseConnection& connection) const;
    void subscribe(PulseConnection& connection);
    void removeListener();
    static void onSourceEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                              void* userdata);

    platform::Observable<std::vector<AudioInputDevice>> inputDevices_;
    platform::MainQueue& mainQueue_;
    std::unique_ptr<PulseConnection> connection_;
    bool listening_ = false;
    // Posted refreshes hold it weakly, so they do nothing once the manager is gone.
    std::shared_ptr<AudioDeviceManager*> self_;
};

} // namespace ostrelvirorez
