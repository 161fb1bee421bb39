#include "OstrelVirorez/Input/TextInjector.hpp"

#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"
#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/Support/XvfbServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <future>
#include <stop_token>
#include <thread>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

// Another application holding the clipboard: offers content and answers
// requests on its own thread and connection.
class OtherApplication {
public:
    OtherApplication(const std::string& displayName, ClipboardSnapshot content)
        : clipboard_(x11::X11Clipboard::open(displayName)) {
        clipboard_->restore(content);
        thread_ = std::jthread([this](std::stop_token stop) {
            while (!stop.stop_requested()) clipboard_->processPendingEvents(20ms);
        });
    }

private:
    std::unique_ptr<x11::X11Clipboard> clipboard_;
    std::jthread thread_;
};

// A focused window that records the keys it receives.
class FocusedWindow {
public:
    FocusedWindow(const std::string& displayName, const char* instance, const char* className)
        : display_(XOpenDisplay(displayName.c_str())) {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(className)};
        XSetClassHint(display_, window_, &hint);
        XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask);
        XMapWindow(display_, window_);
        XEvent event;
        do XWindowEvent(display_, window_, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    ~FocusedWindow() { XCloseDisplay(display_); }

    // Key presses as "ctrl+shift+v", waiting a bounded time for `count`.
    std::vector<std::string> presses(std::size_t count) {
        std::vector<std::string> keys;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (keys.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (XPending(display_) == 0) {
                pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
                poll(&descriptor, 1, 50);
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type != KeyPress) continue;
            const auto symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(event.xkey.keycode), 0, 0);
            if (symbol == XK_Control_L || symbol == XK_Shift_L) continue;
            std::string text;
            if (event.xkey.state & ControlMask) text += "ctrl+";
            if (event.xkey.state & ShiftMask) text += "shift+";
            keys.push_back(text + XKeysymToString(symbol));
        }
        return keys;
    }

private:
    Display* display_;
    Window window_ = 0;
};

ClipboardSnapshot richContent() {
    return {{{"text/plain;charset=utf-8", "UTF8_STRING", 8, "copied by the user"},
             {"text/html", "text/html", 8, "<b>copied</b> by the user"},
             {"image/png", "image/png", 8, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}}};
}

class TextInjectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server->started(), server->failure());
        injector = std::make_unique<TextInjector>(queue, server->displayName(), false);
        reader = x11::X11Clipboard::open(server->displayName());
    }

    // What a third application reads from the clipboard now.
    ClipboardSnapshot clipboardContent() {
        auto read = std::async(std::launch::async, [this] { return reader->snapshot(); });
        for (int round = 0; round < 100 && read.wait_for(0s) != std::future_status::ready; ++round) {
            injector->processPendingEvents(20ms);
        }
        return read.get();
    }

    std::string clipboardText() {
        for (const auto& entry : clipboardContent().entries) {
            if (entry.type == "UTF8_STRING" || entry.type == "text/plain;charset=utf-8") return entry.data;
        }
        return "<none>";
    }

    std::unique_ptr<testsupport::XvfbServer> server = std::make_unique<testsupport::XvfbServer>();
    platform::ManualMainQueue queue;
    platform::ScopedLogCapture logs;
    std::unique_ptr<TextInjector> injector;
    std::unique_ptr<x11::X11Clipboard> reader;
};

TEST_F(TextInjectorTest, PastesTheTextAndBringsBackEveryTypeOfTheUsersClipboard) {
    OtherApplication other(server->displayName(), richContent());
    FocusedWindow target(server->displayName(), "editor", "Editor");

    ASSERT_TRUE(injector->injectText("a👍🏽b"));
    EXPECT_EQ(target.presses(1), std::vector<std::string>{"ctrl+v"});
    EXPECT_EQ(clipboardText(), "a👍🏽b");
    EXPECT_TRUE(logs.contains("Text injected (3 chars)"));

    queue.advance(299ms);
    EXPECT_EQ(clipboardText(), "a👍🏽b");
    queue.advance(1ms);
    EXPECT_EQ(clipboardContent(), richContent());
}

TEST_F(TextInjectorTest, ContentCopiedWithinTheDelayStays) {
    OtherApplication other(server->displayName(), richContent());
    ASSERT_TRUE(injector->injectText("dictated"));
    ClipboardSnapshot copied{{{"UTF8_STRING", "UTF8_STRING", 8, "copied meanwhile"}}};
    OtherApplication copier(server->displayName(), copied);
    queue.advance(1s);
    EXPECT_EQ(clipboardText(), "copied meanwhile");
}

TEST_F(TextInjectorTest, AnEmptyClipboardKeepsTheDictatedText) {
    ASSERT_TRUE(injector->injectText("dictated"));
    queue.advance(1s);
    EXPECT_EQ(clipboardText(), "dictated");
}

TEST_F(TextInjectorTest, TwoInsertsInQuickSuccessionBringBackTheUsersClipboard) {
    OtherApplication other(server->displayName(), richContent());
    ASSERT_TRUE(injector->injectText("first"));
    queue.advance(100ms);
    ASSERT_TRUE(injector->injectText("second"));
    EXPECT_EQ(clipboardText(), "second");
    queue.advance(250ms);
    EXPECT_EQ(clipboardText(), "second");
    queue.advance(50ms);
    EXPECT_EQ(clipboardContent(), richContent());
}

TEST_F(TextInjectorTest, ATerminalGetsControlShiftV) {
    FocusedWindow terminal(server->displayName(), "xterm", "XTerm");
    ASSERT_TRUE(injector->simulatePaste());
    EXPECT_EQ(terminal.presses(1), std::vector<std::string>{"ctrl+shift+v"});
}

TEST_F(TextInjectorTest, SimulatePasteAloneLeavesTheClipboardAlone) {
    OtherApplication other(server->displayName(), richContent());
    FocusedWindow target(server->displayName(), "editor", "Editor");
    ASSERT_TRUE(injector->simulatePaste());
    EXPECT_EQ(target.presses(1), std::vector<std::string>{"ctrl+v"});
    queue.advance(1s);
    EXPECT_EQ(clipboardContent(), richContent());
}

TEST_F(TextInjectorTest, WithoutKeySynthesisTheTextStaysOnTheClipboardAndTheFailureIsReported) {
    injector.reset();
    reader.reset();
    server = std::make_unique<testsupport::XvfbServer>(
        testsupport::XvfbServer::Options{false, {"-extension", "XTEST"}});
    REQUIRE_TEST_HOST(server->started(), server->failure());
    injector = std::make_unique<TextInjector>(queue, server->displayName(), false);
    reader = x11::X11Clipboard::open(server->displayName());
    OtherApplication other(server->displayName(), richContent());

    EXPECT_FALSE(injector->injectText("dictated"));
    EXPECT_TRUE(logs.contains("TextInjector: Failed to create CGEvent"));
    EXPECT_FALSE(logs.contains("Text injected"));
    queue.advance(1s);
    EXPECT_EQ(clipboardText(), "dictated");
}

TEST(TextInjectorWithoutDisplay, ReportsFailure) {
    platform::ManualMainQueue queue;
    TextInjector injector(queue, ":65000", false);
    EXPECT_FALSE(injector.injectText("text"));
    EXPECT_FALSE(injector.simulatePaste());
}

TEST(TerminalWindowClassTest, RecognisesTerminalsByEitherClassString) {
    EXPECT_TRUE(x11::isTerminalWindowClass("gnome-terminal-server", "Gnome-terminal"));
    EXPECT_TRUE(x11::isTerminalWindowClass("Alacritty", "Alacritty"));
    EXPECT_TRUE(x11::isTerminalWindowClass("konsole", "konsole"));
    EXPECT_TRUE(x11::isTerminalWindowClass("", "kitty"));
    EXPECT_FALSE(x11::isTerminalWindowClass("Navigator", "firefox"));
    EXPECT_FALSE(x11::isTerminalWindowClass("gedit", "Gedit"));
}

} // namespace
