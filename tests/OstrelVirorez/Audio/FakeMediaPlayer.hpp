#pragma once
// A media player on the session bus for tests: it answers the playback status
// and Play/Pause/PlayPause on its own thread and records the calls it got.

#include <dbus/dbus.h>

#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace ostrelvirorez::testing {

class FakeMediaPlayer {
public:
    // Owns "org.mpris.MediaPlayer2.<name>" on the bus at `address`; check ready().
    FakeMediaPlayer(const std::string& address, const std::string& name, std::string status);
    ~FakeMediaPlayer();
    FakeMediaPlayer(const FakeMediaPlayer&) = delete;
    FakeMediaPlayer& operator=(const FakeMediaPlayer&) = delete;

    bool ready() const { return connection_ != nullptr; }
    std::string status() const;
    void setStatus(std::string status);
    std::vector<std::string> calls() const;

private:
    void serve(std::stop_token stop);
    void handle(DBusMessage* message);

    DBusConnection* connection_ = nullptr;
    mutable std::mutex mutex_;
    std::string status_;
    std::vector<std::string> calls_;
    std::jthread thread_;
};

} // namespace ostrelvirorez::testing
