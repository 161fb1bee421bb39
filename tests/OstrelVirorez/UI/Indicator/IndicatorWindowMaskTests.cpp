// The indicator's panel on an X server, seen from outside. Without a
// compositing manager nothing blends a translucent window, so only what the
// indicator draws may cover the desktop; with one, the window stays whole
// for it to blend (glow and shadows included).

#include "tests/Support/ChildProcess.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"
#include "tests/Support/XvfbServer.hpp"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr unsigned long desktopRed = 0xff0000;

struct Point {
    int x;
    int y;
};

class IndicatorOnXServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TEST_HOST(server.started(), server.failure());
        display = XOpenDisplay(server.displayName().c_str());
        ASSERT_NE(display, nullptr);
        const Window root = DefaultRootWindow(display);
        XSetWindowBackground(display, root, desktopRed);
        XClearWindow(display, root);
        XSync(display, False);
    }

    void TearDown() override {
        panel.reset();
        if (display != nullptr) XCloseDisplay(display);
    }

    // Claims the compositing manager's selection, as a compositor does.
    void actAsCompositor() {
        const Window owner = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False), owner, CurrentTime);
        XSync(display, False);
    }

    // Starts the program that shows a settled panel of `style`; its
    // position once it is painted, or nothing after a bounded wait.
    std::optional<Point> showPanel(const std::string& style) {
        testsupport::ChildProcess::Options options;
        options.environment = {"DISPLAY=" + server.displayName(), "QT_QPA_PLATFORM=xcb"};
        options.output = folder / "panel.log";
        panel = std::make_unique<testsupport::ChildProcess>(std::vector<std::string>{INDICATOR_PANEL_PROGRAM, style},
                                                            options);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline && panel->running()) {
            std::istringstream log(output());
            std::string word;
            Point at{};
            while (log >> word) {
                if (word == "ready" && log >> at.x >> at.y) return at;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    std::string output() const {
        std::ifstream file(folder / "panel.log");
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The screen's colour at (x, y), as 0xRRGGBB.
    unsigned long screenPixel(int x, int y) const {
        XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return pixel;
    }

    static bool isDark(unsigned long pixel) {
        return ((pixel >> 16) & 0xff) < 48 && ((pixel >> 8) & 0xff) < 48 && (pixel & 0xff) < 48;
    }

    testsupport::XvfbServer server;
    testsupport::TemporaryDirectory folder;
    Display* display = nullptr;
    std::unique_ptr<testsupport::ChildProcess> panel;
};

TEST_F(IndicatorOnXServerTest, WithoutACompositorOnlyTheIndicatorCoversTheDesktop) {
    // On the 640 × 480 test screen, each panel shows a transcription with
    // text feedback; points are relative to the panel's top-left corner.
    struct Case {
        const char* style;
        std::vector<Point> covered;  // inside the drawn shape
        std::vector<Point> uncovered; // inside the panel, outside the shape
    };
    const std::vector<Case> cases{
        // A 340 × 72 shape (x 80 to 420) hanging from the top of the 500 × 500
        // panel; its bottom-left corner curve passes x 90.7 at y 70.
        {"notch", {{90, 4}, {230, 4}, {100, 60}}, {{10, 10}, {60, 60}, {250, 200}, {490, 10}, {83, 70}}},
        // A pill 340 wide (x 80 to 420) and about 86 tall, hanging from the
        // top of the 500 × 300 panel.
        {"overlay", {{110, 6}, {250, 24}}, {{10, 10}, {60, 30}, {250, 250}, {490, 10}}},
        // A 36 × 32 capsule (x 192 to 228) around the spinner at the top of
        // the 420 × 160 panel.
        {"minimal", {{210, 4}}, {{10, 10}, {185, 16}, {210, 100}, {410, 10}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const auto at = showPanel(c.style);
        ASSERT_TRUE(at.has_value()) << output();
        for (const auto& p : c.covered) {
            EXPECT_TRUE(isDark(screenPixel(at->x + p.x, at->y + p.y))) << "covered at " << p.x << ", " << p.y;
        }
        for (const auto& p : c.uncovered) {
            EXPECT_EQ(screenPixel(at->x + p.x, at->y + p.y), desktopRed) << "desktop at " << p.x << ", " << p.y;
        }
        panel.reset();
    }
}

TEST_F(IndicatorOnXServerTest, WithACompositorTheWindowStaysWholeForItToBlend) {
    actAsCompositor();
    const auto at = showPanel("notch");
    ASSERT_TRUE(at.has_value()) << output();
    // Nothing blends here, so the window's transparent corner shows as it is.
    EXPECT_NE(screenPixel(at->x + 10, at->y + 10), desktopRed);
}

} // namespace
