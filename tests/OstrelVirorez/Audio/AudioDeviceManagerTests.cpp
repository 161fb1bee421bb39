#include "OstrelVirorez/Audio/AudioDeviceManager.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/TestHost.hpp"

#include "Platform/Concurrency/LoopMainQueue.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <unordered_set>

namespace ostrelvirorez {
namespace {

using testsupport::PulseAudioTestServer;

std::vector<std::string> uids(const std::vector<AudioInputDevice>& devices) {
    std::vector<std::string> result;
    for (const auto& device : devices) result.push_back(device.uid);
    return result;
}

class AudioDeviceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.running(), server.failure());
        onMain([&] { manager = std::make_unique<AudioDeviceManager>(queue); });
        connection = manager->observeInputDevices([&](const std::vector<AudioInputDevice>& devices) {
            std::lock_guard guard(mutex);
            published.push_back(devices);
            changed.notify_all();
        });
    }
    void TearDown() override {
        connection.disconnect();
        onMain([&] { manager.reset(); });
    }

    void onMain(const std::function<void()>& work) {
        std::promise<void> done;
        queue.post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }

    // Waits until a published list satisfies `accept`.
    bool waitForList(const std::function<bool(const std::vector<std::string>&)>& accept) {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, std::chrono::seconds(20), [&] {
            return std::any_of(published.begin(), published.end(),
                               [&](const auto& devices) { return accept(uids(devices)); });
        });
    }

    PulseAudioTestServer server;
    platform::LoopMainQueue queue;
    std::unique_ptr<AudioDeviceManager> manager;
    platform::Connection connection;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<AudioInputDevice>> published;
};

TEST_F(AudioDeviceManagerTest, ListsTheSystemDefaultAndTheMicrophonesButNoOutputMonitor) {
    EXPECT_EQ(uids(manager->inputDevices()), std::vector<std::string>{""}) << "the default before the server answers";
    onMain([&] { manager->refreshDevices(); });
    const auto devices = manager->inputDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0], (AudioInputDevice{0, "System Default", ""}));
    EXPECT_EQ(devices[1].uid, "testmic");
    EXPECT_FALSE(devices[1].name.empty());
    EXPECT_NE(devices[1].id, 0u);
}

TEST_F(AudioDeviceManagerTest, FollowsMicrophonesThatComeAndGo) {
    onMain([&] {
        manager->refreshDevices();
        manager->installDeviceChangeListener();
    });
    const auto pipe = (server.folder().path() / "usb.fifo").string();
    const auto module = server.pactl("load-module module-pipe-source source_name=usbmic file=" + pipe);
    ASSERT_TRUE(module.has_value());
    EXPECT_TRUE(waitForList([](const auto& list) {
        return list == std::vector<std::string>{"", "testmic", "usbmic"};
    }));

    {
        std::lock_guard guard(mutex);
        published.clear();
    }
    ASSERT_TRUE(server.pactl("unload-module " + *module));
    EXPECT_TRUE(waitForList([](const auto& list) { return list == std::vector<std::string>{"", "testmic"}; }));
}

TEST(AudioDeviceManagerWithoutServer, OffersTheSystemDefaultWhenTheServerCannotBeAsked) {
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    platform::LoopMainQueue queue;
    std::promise<std::vector<AudioInputDevice>> result;
    queue.post([&] {
        AudioDeviceManager manager(queue);
        manager.refreshDevices();
        manager.installDeviceChangeListener();
        result.set_value(manager.inputDevices());
    });
    EXPECT_EQ(result.get_future().get(), (std::vector<AudioInputDevice>{{0, "System Default", ""}}));
}

TEST(AudioInputDevice, EqualOnlyWhenIdNameAndIdentifierAllMatch) {
    const AudioInputDevice device{3, "USB Mic", "alsa_input.usb"};
    EXPECT_EQ(device, (AudioInputDevice{3, "USB Mic", "alsa_input.usb"}));
    EXPECT_NE(device, (AudioInputDevice{4, "USB Mic", "alsa_input.usb"}));
    EXPECT_NE(device, (AudioInputDevice{3, "Other", "alsa_input.usb"}));
    EXPECT_NE(device, (AudioInputDevice{3, "USB Mic", "alsa_input.other"}));
    const std::unordered_set<AudioInputDevice> set{device, device, {0, "System Default", ""}};
    EXPECT_EQ(set.size(), 2u);
}

} // namespace
} // namespace ostrelvirorez
