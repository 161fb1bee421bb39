#include "OstrelVirorez/Input/TextInjector.hpp"

#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"
#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/Support/ChildProcess.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"
#include "tests/Support/XvfbServer.hpp"

#include <gtest/gtest.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <stop_token>
#include <thread>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

// Another application holding the clipboard (or another selection): offers
// content and answers requests on its own thread and connection.
class OtherApplication {
public:
    OtherApplication(const std::string& displayName, ClipboardSnapshot content,
                     const std::string& selection = "CLIPBOARD")
        : clipboard_(x11::X11Clipboard::open(displayName, selection)) {
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

// A stock xterm, focused, whose shell copies what it receives, unechoed and
// byte by byte, into a file.
class Xterm {
public:
    explicit Xterm(const std::string& displayName) {
        const std::string script = "cd '" + folder_.path().string() +
                                   "' && stty -icanon -echo min 1 time 0 && echo \"$WINDOWID\" > window.tmp && "
                                   "mv window.tmp window && exec cat > arrived";
        testsupport::ChildProcess::Options options;
        options.environment = {"DISPLAY=" + displayName, "LC_ALL=C.UTF-8"};
        options.output = folder_ / "xterm.log";
        process_ = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{"xterm", "-e", "/bin/sh", "-c", script}, options);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!std::filesystem::exists(folder_ / "window") && process_->running() &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        const auto window = std::stoul("0" + read("window"));
        if (window == 0) {
            failure_ = "xterm did not start (is it installed?) " + read("xterm.log");
            return;
        }
        Display* display = XOpenDisplay(displayName.c_str());
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        XCloseDisplay(display);
    }

    bool started() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }

    // What the shell received once `size` bytes arrived, or when a bounded
    // wait ends; `meanwhile` runs between looks.
    std::string received(std::size_t size, const std::function<void()>& meanwhile) const {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::string arrived = read("arrived");
        while (arrived.size() < size && std::chrono::steady_clock::now() < deadline) {
            meanwhile();
            arrived = read("arrived");
        }
        return arrived;
    }

private:
    std::string read(const std::string& name) const {
        std::ifstream file(folder_ / name, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    testsupport::TemporaryDirectory folder_;
    std::unique_ptr<testsupport::ChildProcess> process_;
    std::string failure_;
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
        primaryReader = x11::X11Clipboard::open(server->displayName(), "PRIMARY");
    }

    // What a third application reads from the clipboard now.
    ClipboardSnapshot clipboardContent() { return content(*reader); }
    ClipboardSnapshot primaryContent() { return content(*primaryReader); }

    ClipboardSnapshot content(x11::X11Clipboard& selection) {
        auto read = std::async(std::launch::async, [&selection] { return selection.snapshot(); });
        for (int round = 0; round < 100 && read.wait_for(0s) != std::future_status::ready; ++round) {
            injector->processPendingEvents(20ms);
        }
        return read.get();
    }

    std::string clipboardText() { return textOf(clipboardContent()); }

    static std::string textOf(const ClipboardSnapshot& content) {
        for (const auto& entry : content.entries) {
            if (entry.type == "UTF8_STRING" || entry.type == "text/plain;charset=utf-8") return entry.data;
        }
        return "<none>";
    }

    std::unique_ptr<testsupport::XvfbServer> server = std::make_unique<testsupport::XvfbServer>();
    platform::ManualMainQueue queue;
    platform::ScopedLogCapture logs;
    std::unique_ptr<TextInjector> injector;
    std::unique_ptr<x11::X11Clipboard> reader;
    std::unique_ptr<x11::X11Clipboard> primaryReader;
};

const ClipboardSnapshot userSelection{{{"UTF8_STRING", "UTF8_STRING", 8, "selected by the user"}}};

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

TEST_F(TextInjectorTest, EachWindowGetsThePasteChordItBinds) {
    struct Case {
        const char* instance;
        const char* className;
        const char* chord;
    };
    const Case cases[] = {
        {"editor", "Editor", "ctrl+v"},
        {"gnome-terminal-server", "Gnome-terminal", "ctrl+shift+v"},
        {"xterm", "XTerm", "shift+Insert"},
        {"urxvt", "URxvt", "shift+Insert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.instance);
        FocusedWindow window(server->displayName(), c.instance, c.className);
        ASSERT_TRUE(injector->injectText("dictated"));
        EXPECT_EQ(window.presses(1), std::vector<std::string>{c.chord});
        queue.advance(1s);
    }
}

TEST_F(TextInjectorTest, DictatedTextArrivesInAStockXtermAndBothSelectionsComeBack) {
    OtherApplication clipboardOwner(server->displayName(), richContent());
    OtherApplication selectionOwner(server->displayName(), userSelection, "PRIMARY");
    Xterm xterm(server->displayName());
    REQUIRE_TEST_HOST(xterm.started(), xterm.failure());

    const std::string text = "Grüße aus dem Diktat";
    ASSERT_TRUE(injector->injectText(text));
    EXPECT_EQ(xterm.received(text.size(), [&] { injector->processPendingEvents(20ms); }), text);
    EXPECT_EQ(textOf(primaryContent()), text);

    queue.advance(TextInjector::restoreDelay);
    EXPECT_EQ(clipboardContent(), richContent());
    EXPECT_EQ(primaryContent(), userSelection);
}

TEST_F(TextInjectorTest, APlainPasteBringsTheClipboardIntoAnXtermAndLeavesItThere) {
    const ClipboardSnapshot rewritten{{{"UTF8_STRING", "UTF8_STRING", 8, "rewritten clipboard"}}};
    OtherApplication clipboardOwner(server->displayName(), rewritten);
    OtherApplication selectionOwner(server->displayName(), userSelection, "PRIMARY");
    Xterm xterm(server->displayName());
    REQUIRE_TEST_HOST(xterm.started(), xterm.failure());

    ASSERT_TRUE(injector->simulatePaste());
    EXPECT_EQ(xterm.received(19, [&] { injector->processPendingEvents(20ms); }), "rewritten clipboard");

    queue.advance(TextInjector::restoreDelay);
    EXPECT_EQ(clipboardContent(), rewritten);
    EXPECT_EQ(primaryContent(), userSelection);
}

TEST_F(TextInjectorTest, ASelectionMadeWithinTheDelayStays) {
    OtherApplication selectionOwner(server->displayName(), userSelection, "PRIMARY");
    FocusedWindow xterm(server->displayName(), "xterm", "XTerm");
    ASSERT_TRUE(injector->injectText("dictated"));
    const ClipboardSnapshot selectedMeanwhile{{{"UTF8_STRING", "UTF8_STRING", 8, "selected meanwhile"}}};
    OtherApplication selector(server->displayName(), selectedMeanwhile, "PRIMARY");
    queue.advance(1s);
    EXPECT_EQ(primaryContent(), selectedMeanwhile);
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
    primaryReader.reset();
    server = std::make_unique<testsupport::XvfbServer>(
        testsupport::XvfbServer::Options{false, {"-extension", "XTEST"}});
    REQUIRE_TEST_HOST(server->started(), server->failure());
    injector = std::make_unique<TextInjector>(queue, server->displayName(), false);
    reader = x11::X11Clipboard::open(server->displayName());
    primaryReader = x11::X11Clipboard::open(server->displayName(), "PRIMARY");
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

TEST(PasteChordTest, TheXtermFamilyPastesWithShiftInsertOtherTerminalsWithControlShiftV) {
    struct Case {
        const char* instance;
        const char* className;
        x11::PasteChord chord;
    };
    const Case cases[] = {
        {"xterm", "XTerm", x11::PasteChord::shiftInsert},
        {"uxterm", "UXTerm", x11::PasteChord::shiftInsert},
        {"urxvt", "URxvt", x11::PasteChord::shiftInsert},
        {"rxvt", "Rxvt", x11::PasteChord::shiftInsert},
        {"gnome-terminal-server", "Gnome-terminal", x11::PasteChord::controlShiftV},
        {"Alacritty", "Alacritty", x11::PasteChord::controlShiftV},
        {"st-256color", "st-256color", x11::PasteChord::controlShiftV},
        {"Navigator", "firefox", x11::PasteChord::controlV},
        {"xtermish-editor", "Editor", x11::PasteChord::controlV},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.instance);
        EXPECT_EQ(x11::pasteChordFor(c.instance, c.className), c.chord);
    }
}

} // namespace
