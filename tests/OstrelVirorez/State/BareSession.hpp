#pragma once
// A session with neither a display nor a sound server nor a session bus,
// and every user folder in a temporary one.

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

namespace ostrelvirorez::testing {

class BareSession {
public:
    explicit BareSession(const testsupport::TemporaryDirectory& folder) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS"}) {
            environment.unset(name);
        }
        environment.set("PULSE_SERVER", "unix:" + (folder / "no-sound-server").string());
        environment.set("XDG_DATA_HOME", (folder / "data").string());
        environment.set("XDG_CONFIG_HOME", (folder / "config").string());
        environment.set("XDG_CACHE_HOME", (folder / "cache").string());
        environment.set("XDG_DATA_DIRS", (folder / "system").string());
        environment.set("XDG_RUNTIME_DIR", (folder / "runtime").string());
    }

private:
    testsupport::ScopedEnvironment environment;
};

} // namespace ostrelvirorez::testing
