#pragma once
// One selection of the session (CLIPBOARD, or PRIMARY, the text selected
// last) seen from one X connection: reads every type the current owner
// offers, and owns the selection to offer text or a snapshot, answering other
// clients' requests while it does.

#include "OstrelVirorez/Input/ClipboardSnapshot.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ostrelvirorez::x11 {

class X11Display;

class X11Clipboard {
public:
    // nullptr when no X server answers at `displayName`.
    static std::unique_ptr<X11Clipboard> open(const std::string& displayName = {},
                                              const std::string& selection = "CLIPBOARD");
    ~X11Clipboard();
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    ClipboardSnapshot snapshot();
    void setText(const std::string& text);
    // Offers exactly the snapshot's types; an empty snapshot only gives up
    // the selection.
    void restore(const ClipboardSnapshot& snapshot);
    // Changes with every write through this object and whenever another
    // client takes the selection.
    std::uint64_t changeCount();
    // Answers queued requests, waiting at most `timeout` for the first.
    void processPendingEvents(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
    X11Display& display() { return *display_; }

private:
    struct Atoms;

    X11Clipboard(std::unique_ptr<X11Display> display, unsigned long window, const std::string& selection);
    void offer(ClipboardSnapshot content);
    void handleEvent(void* event);
    void answerRequest(const void* request);
    std::optional<ClipboardSnapshot::Entry> readTarget(unsigned long target);
    std::optional<std::string> readIncrementally(unsigned long property, unsigned long& type, int& format);
    bool waitForEvent(int type, std::chrono::milliseconds timeout, void* event);
    bool ownsSelection();

    std::unique_ptr<X11Display> display_;
    unsigned long window_;
    std::unique_ptr<Atoms> atoms_;
    ClipboardSnapshot offered_;
    bool owner_ = false;
    std::uint64_t changeCount_ = 0;
};

} // namespace ostrelvirorez::x11
