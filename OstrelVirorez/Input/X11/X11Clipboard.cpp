#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"

#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <climits>
#include <set>
#include <vector>

namespace ostrelvirorez::x11 {
namespace {

constexpr auto replyTimeout = std::chrono::milliseconds(1000);

std::size_t unitSize(int format) {
    return format == 8 ? 1 : format == 16 ? sizeof(short) : sizeof(long);
}

std::string atomName(Display* display, Atom atom) {
    char* name = XGetAtomName(display, atom);
    if (!name) return {};
    std::string text(name);
    XFree(name);
    return text;
}

} // namespace

struct X11Clipboard::Atoms {
    Atoms(Display* display, const std::string& selectionName)
        : selection(XInternAtom(display, selectionName.c_str(), False)),
          targets(XInternAtom(display, "TARGETS", False)),
          timestamp(XInternAtom(display, "TIMESTAMP", False)),
          incr(XInternAtom(display, "INCR", False)),
          utf8(XInternAtom(display, "UTF8_STRING", False)),
          transfer(XInternAtom(display, "OSTREL_CLIPBOARD_TRANSFER", False)) {
        for (const char* name : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "INSERT_SELECTION",
                                 "INSERT_PROPERTY", "_NET_WM_NAME"}) {
            notData.insert(XInternAtom(display, name, False));
        }
    }

    Atom selection;
    Atom targets;
    Atom timestamp;
    Atom incr;
    Atom utf8;
    Atom transfer;
    // Targets that name a conversion or a protocol step, not clipboard content.
    std::set<Atom> notData;
};

std::unique_ptr<X11Clipboard> X11Clipboard::open(const std::string& displayName, const std::string& selection) {
    auto display = X11Display::open(displayName);
    if (!display) return nullptr;
    Display* x = display->get();
    const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(x, window, PropertyChangeMask);
    return std::unique_ptr<X11Clipboard>(new X11Clipboard(std::move(display), window, selection));
}

X11Clipboard::X11Clipboard(std::unique_ptr<X11Display> display, unsigned long window, const std::string& selection)
    : display_(std::move(display)), window_(window), atoms_(std::make_unique<Atoms>(display_->get(), selection)) {}

X11Clipboard::~X11Clipboard() {
    XDestroyWindow(display_->get(), window_);
}

bool X11Clipboard::ownsSelection() {
    processPendingEvents();
    return owner_ && XGetSelectionOwner(display_->get(), atoms_->selection) == window_;
}

std::uint64_t X11Clipboard::changeCount() {
    if (owner_ && !ownsSelection()) {
        owner_ = false;
        offered_ = {};
        ++changeCount_;
    }
    return changeCount_;
}

ClipboardSnapshot X11Clipboard::snapshot() {
    if (ownsSelection()) return offered_;
    ClipboardSnapshot result;
    if (XGetSelectionOwner(display_->get(), atoms_->selection) == None) return result;
    const auto list = readTarget(atoms_->targets);
    if (!list || list->format != 32) return result;
    const auto* targets = reinterpret_cast<const long*>(list->data.data());
    const std::size_t count = list->data.size() / sizeof(long);
    std::set<Atom> seen;
    for (std::size_t index = 0; index < count; ++index) {
        const auto target = static_cast<Atom>(targets[index]);
        if (atoms_->notData.contains(target) || !seen.insert(target).second) continue;
        if (auto entry = readTarget(target)) result.entries.push_back(std::move(*entry));
    }
    return result;
}

std::optional<ClipboardSnapshot::Entry> X11Clipboard::readTarget(unsigned long target) {
    Display* x = display_->get();
    XDeleteProperty(x, window_, atoms_->transfer);
    XConvertSelection(x, atoms_->selection, target, atoms_->transfer, window_, CurrentTime);
    XEvent notify;
    if (!waitForEvent(SelectionNotify, replyTimeout, &notify) || notify.xselection.property == None) return std::nullopt;

    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window_, atoms_->transfer, 0, LONG_MAX / 4, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success) {
        return std::nullopt;
    }
    ClipboardSnapshot::Entry entry{atomName(x, target), {}, format, {}};
    std::optional<std::string> bytes;
    if (type == atoms_->incr) {
        if (data) XFree(data);
        bytes = readIncrementally(atoms_->transfer, type, format);
    } else {
        if (data) bytes = std::string(reinterpret_cast<const char*>(data), count * unitSize(format));
        if (data) XFree(data);
        XDeleteProperty(x, window_, atoms_->transfer);
    }
    if (!bytes || type == None) return std::nullopt;
    entry.encoding = atomName(x, type);
    entry.format = format;
    entry.data = std::move(*bytes);
    return entry;
}

std::optional<std::string> X11Clipboard::readIncrementally(unsigned long property, unsigned long& type, int& format) {
    Display* x = display_->get();
    XDeleteProperty(x, window_, property);
    XFlush(x);
    std::string bytes;
    for (;;) {
        XEvent event;
        if (!waitForEvent(PropertyNotify, replyTimeout, &event)) return std::nullopt;
        if (event.xproperty.atom != property || event.xproperty.state != PropertyNewValue) continue;
        // Every chunk carries the content's real type.
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(x, window_, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                               &after, &data) != Success) {
            return std::nullopt;
        }
        const std::size_t size = data ? count * unitSize(format) : 0;
        if (data) {
            bytes.append(reinterpret_cast<const char*>(data), size);
            XFree(data);
        }
        if (size == 0) return bytes;
    }
}

bool X11Clipboard::waitForEvent(int type, std::chrono::milliseconds timeout, void* event) {
    Display* x = display_->get();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (XCheckTypedWindowEvent(x, window_, type, static_cast<XEvent*>(event))) return true;
        // Requests for what this connection offers are answered meanwhile.
        XEvent request;
        while (XCheckTypedEvent(x, SelectionRequest, &request)) answerRequest(&request.xselectionrequest);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        XFlush(x);
        pollfd descriptor{ConnectionNumber(x), POLLIN, 0};
        if (poll(&descriptor, 1, static_cast<int>(std::min<long>(left.count(), 50))) > 0) XPending(x);
    }
}

void X11Clipboard::setText(const std::string& text) {
    ClipboardSnapshot content;
    for (const char* type : {"UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT", "text/plain"}) {
        content.entries.push_back({type, "UTF8_STRING", 8, text});
    }
    offer(std::move(content));
}

void X11Clipboard::restore(const ClipboardSnapshot& snapshot) {
    if (snapshot.empty()) {
        if (ownsSelection()) XSetSelectionOwner(display_->get(), atoms_->selection, None, CurrentTime);
        owner_ = false;
        offered_ = {};
        ++changeCount_;
        XFlush(display_->get());
        return;
    }
    offer(snapshot);
}

void X11Clipboard::offer(ClipboardSnapshot content) {
    Display* x = display_->get();
    offered_ = std::move(content);
    XSetSelectionOwner(x, atoms_->selection, window_, CurrentTime);
    owner_ = XGetSelectionOwner(x, atoms_->selection) == window_;
    ++changeCount_;
    XFlush(x);
}

void X11Clipboard::processPendingEvents(std::chrono::milliseconds timeout) {
    if (timeout.count() > 0) display_->waitForEvents(timeout);
    Display* x = display_->get();
    while (XPending(x) > 0) {
        XEvent event;
        XNextEvent(x, &event);
        handleEvent(&event);
    }
    XFlush(x);
}

void X11Clipboard::handleEvent(void* opaque) {
    auto* event = static_cast<XEvent*>(opaque);
    if (event->type == SelectionRequest) {
        answerRequest(&event->xselectionrequest);
    } else if (event->type == SelectionClear && event->xselectionclear.selection == atoms_->selection) {
        if (owner_) ++changeCount_;
        owner_ = false;
        offered_ = {};
    }
}

void X11Clipboard::answerRequest(const void* opaque) {
    const auto* request = static_cast<const XSelectionRequestEvent*>(opaque);
    Display* x = display_->get();
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = x;
    reply.requestor = request->requestor;
    reply.selection = request->selection;
    reply.target = request->target;
    reply.time = request->time;
    reply.property = None;
    // Obsolete clients name no property and expect the target's name.
    const Atom property = request->property == None ? request->target : request->property;

    if (owner_ && request->selection == atoms_->selection) {
        if (request->target == atoms_->targets) {
            std::vector<long> atoms{static_cast<long>(atoms_->targets), static_cast<long>(atoms_->timestamp)};
            for (const auto& entry : offered_.entries) {
                atoms.push_back(static_cast<long>(XInternAtom(x, entry.type.c_str(), False)));
            }
            XChangeProperty(x, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
            reply.property = property;
        } else {
            const auto name = atomName(x, request->target);
            const auto found = std::find_if(offered_.entries.begin(), offered_.entries.end(),
                                            [&](const auto& entry) { return entry.type == name; });
            long limit = XExtendedMaxRequestSize(x);
            if (limit == 0) limit = XMaxRequestSize(x);
            // Content larger than one request would need the incremental protocol.
            if (found != offered_.entries.end() && static_cast<long>(found->data.size()) < limit * 4 - 1024) {
                const auto items = found->data.size() / unitSize(found->format);
                XChangeProperty(x, request->requestor, property, XInternAtom(x, found->encoding.c_str(), False),
                                found->format, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(found->data.data()), static_cast<int>(items));
                reply.property = property;
            }
        }
    }
    XEvent event{};
    event.xselection = reply;
    XSendEvent(x, request->requestor, False, NoEventMask, &event);
    XFlush(x);
}

} // namespace ostrelvirorez::x11
