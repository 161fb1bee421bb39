#pragma once
// Another application holding the clipboard with what the user copied: it
// offers the content and answers requests on its own thread and connection
// until it ends or another client takes the clipboard over.

#include "OstrelVirorez/Input/ClipboardSnapshot.hpp"

#include <memory>
#include <string>
#include <thread>

namespace ostrelvirorez::x11 {
class X11Clipboard;
}

namespace ostrelvirorez::endtoend {

class ClipboardOwner {
public:
    ClipboardOwner(const std::string& displayName, const ClipboardSnapshot& content);
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

private:
    std::unique_ptr<x11::X11Clipboard> clipboard_;
    std::jthread thread_;
};

} // namespace ostrelvirorez::endtoend
