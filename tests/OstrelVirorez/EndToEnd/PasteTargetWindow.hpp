#pragma once
// The application the user dictates into: a focused window on a test's X
// server that, like a text field, answers Control-V by asking the clipboard's
// owner for its text. It reads its events on its own thread and connection,
// so the owner may answer from the thread under test.

#include <functional>
#include <string>
#include <thread>

struct _XDisplay;
union _XEvent;

namespace ostrelvirorez::endtoend {

class PasteTargetWindow {
public:
    // Runs on the window's thread with the text of each paste.
    using PasteHandler = std::function<void(const std::string& text)>;

    // Creates the window with the given WM_CLASS and title, maps it and gives
    // it the input focus before returning.
    PasteTargetWindow(const std::string& displayName, const std::string& instance, const std::string& className,
                      const std::string& title, PasteHandler onPaste);
    ~PasteTargetWindow();
    PasteTargetWindow(const PasteTargetWindow&) = delete;
    PasteTargetWindow& operator=(const PasteTargetWindow&) = delete;

    unsigned long window() const { return window_; }

private:
    void readEvents(std::stop_token stop);
    void handle(_XEvent& event);
    void requestClipboard(unsigned long time);
    void receiveClipboard(unsigned long property);

    _XDisplay* display_;
    unsigned long window_ = 0;
    unsigned long clipboard_ = 0;
    unsigned long utf8_ = 0;
    unsigned long transfer_ = 0;
    int stopSignal_ = -1;
    PasteHandler onPaste_;
    std::jthread thread_;
};

} // namespace ostrelvirorez::endtoend
