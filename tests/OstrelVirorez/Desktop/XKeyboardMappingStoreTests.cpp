#include "OstrelVirorez/Input/XKeyboardMappingStore.hpp"

#include "OstrelVirorez/Input/CapsLockRemapper.hpp"
#include "OstrelVirorez/Input/X11/XInputKeyEventTap.hpp"
#include "tests/OstrelVirorez/Desktop/XTestKeyboard.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

class XKeyboardMappingStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment.unset("WAYLAND_DISPLAY");
        environment.unset("XDG_SESSION_TYPE");
        REQUIRE_TEST_HOST(server.started(), server.failure());
        keyboard = std::make_unique<desktoptest::XTestKeyboard>(server.displayName());
        capsKey = XKeysymToKeycode(keyboard->display(), XK_Caps_Lock);
        ASSERT_NE(capsKey, 0u);
    }

    // Asks the server, not this connection's cached keymap.
    KeySym capsSymbol() const {
        int perKey = 0;
        KeySym* symbols = XGetKeyboardMapping(keyboard->display(), static_cast<KeyCode>(capsKey), 1, &perKey);
        const KeySym first = symbols && perKey > 0 ? symbols[0] : NoSymbol;
        if (symbols) XFree(symbols);
        return first;
    }

    bool capsKeyLocks() const {
        XModifierKeymap* map = XGetModifierMapping(keyboard->display());
        bool found = false;
        for (int index = 0; index < map->max_keypermod; ++index) {
            found = found || map->modifiermap[LockMapIndex * map->max_keypermod + index] == capsKey;
        }
        XFreeModifiermap(map);
        return found;
    }

    testsupport::ScopedEnvironment environment;
    testsupport::XvfbServer server;
    std::unique_ptr<desktoptest::XTestKeyboard> keyboard;
    unsigned int capsKey = 0;
};

TEST_F(XKeyboardMappingStoreTest, CapsLockProducesF19WhileAppliedAndLocksAgainAfterRevert) {
    // A tap listening since before the change sees the new mapping.
    std::vector<KeyEvent> received;
    x11::XInputKeyEventTap tap(nullptr, server.displayName());
    ASSERT_TRUE(tap.enable([&](const KeyEvent& event) { received.push_back(event); }));

    CapsLockRemapper remapper(std::make_shared<XKeyboardMappingStore>(server.displayName()));
    ASSERT_TRUE(remapper.apply());
    EXPECT_EQ(capsSymbol(), static_cast<KeySym>(XK_F19));
    EXPECT_FALSE(capsKeyLocks());

    // The key now reports as F19, an ordinary key.
    XTestFakeKeyEvent(keyboard->display(), capsKey, True, CurrentTime);
    XTestFakeKeyEvent(keyboard->display(), capsKey, False, CurrentTime);
    XSync(keyboard->display(), False);
    for (int round = 0; round < 50 && received.size() < 2; ++round) tap.processPendingEvents(100ms);
    EXPECT_EQ(received, (std::vector<KeyEvent>{{KeyEventType::keyDown, 80, 0}, {KeyEventType::keyUp, 80, 0}}));

    ASSERT_TRUE(remapper.revert());
    EXPECT_EQ(capsSymbol(), static_cast<KeySym>(XK_Caps_Lock));
    EXPECT_TRUE(capsKeyLocks());
}

TEST_F(XKeyboardMappingStoreTest, ReportsAnotherCapsLockMappingAsAnEntry) {
    XKeyboardMappingStore store(server.displayName());
    EXPECT_EQ(store.currentMapping(), std::vector<KeyMappingEntry>{});
    ASSERT_TRUE(store.writeMapping({{CapsLockRemapper::capsLockUsage, 0x700000029}}));
    EXPECT_EQ(capsSymbol(), static_cast<KeySym>(XK_Escape));
    EXPECT_EQ(store.currentMapping(),
              (std::vector<KeyMappingEntry>{{CapsLockRemapper::capsLockUsage, 0x700000029}}));
    // Entries for other keys cannot be expressed and are refused.
    EXPECT_FALSE(store.writeMapping({{0x700000004, 0x700000029}}));
}

} // namespace
