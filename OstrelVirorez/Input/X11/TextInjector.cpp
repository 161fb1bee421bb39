#include "OstrelVirorez/Input/TextInjector.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Input/X11/FileDescriptorPump.hpp"
#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"
#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Text/Characters.hpp"

#include <utility>

namespace ostrelvirorez {

TextInjector::TextInjector(platform::MainQueue& mainQueue, const std::string& displayName, bool answerOnQueue)
    : mainQueue_(mainQueue), clipboard_(x11::X11Clipboard::open(displayName)),
      self_(std::make_shared<TextInjector*>(this)) {
    if (clipboard_ && answerOnQueue) {
        pump_ = std::make_unique<x11::FileDescriptorPump>(mainQueue_, clipboard_->display().fileDescriptor(),
                                                          [this] { processPendingEvents(); });
    }
}

TextInjector::~TextInjector() {
    *self_ = nullptr;
    if (pendingRestore_) pendingRestore_->timer.cancel();
    pump_.reset();
}

void TextInjector::processPendingEvents(std::chrono::milliseconds timeout) {
    if (clipboard_) clipboard_->processPendingEvents(timeout);
}

ClipboardSnapshot TextInjector::takeSnapshot() {
    // While an earlier insert's text is still on the clipboard, the user's
    // own clipboard is that insert's snapshot, not the dictated text.
    if (pendingRestore_) {
        pendingRestore_->timer.cancel();
        auto earlier = std::exchange(pendingRestore_, std::nullopt);
        if (clipboard_->changeCount() == earlier->changeCount) return std::move(earlier->snapshot);
    }
    return clipboard_->snapshot();
}

bool TextInjector::injectText(const std::string& text) {
    if (!clipboard_) {
        logVirorez("TextInjector: no X display — text not injected");
        return false;
    }
    auto snapshot = takeSnapshot();
    clipboard_->setText(text);
    if (!simulatePaste()) return false;

    const auto changeCount = clipboard_->changeCount();
    const auto timer = mainQueue_.postAfter(restoreDelay, [self = self_] {
        if (*self) (*self)->restoreIfUnchanged();
    });
    pendingRestore_ = PendingRestore{std::move(snapshot), changeCount, timer};
    logVirorez("Text injected (" + std::to_string(platform::text::characterCount(text)) + " chars)");
    answerQueuedRequests();
    return true;
}

void TextInjector::restoreIfUnchanged() {
    if (!pendingRestore_) return;
    auto pending = std::exchange(pendingRestore_, std::nullopt);
    if (clipboard_->changeCount() == pending->changeCount && !pending->snapshot.empty()) {
        clipboard_->restore(pending->snapshot);
    }
    answerQueuedRequests();
}

// A round trip on the clipboard connection reads whatever the server sent
// meanwhile into Xlib's queue, where the pump, which watches the socket,
// never sees it: a paste request caught there would wait for some later
// event, possibly until after the restore, and paste the old clipboard.
void TextInjector::answerQueuedRequests() {
    if (!pump_ || clipboard_->display().queuedEventCount() == 0) return;
    mainQueue_.post([self = self_] {
        if (*self) (*self)->processPendingEvents();
    });
}

bool TextInjector::simulatePaste() {
    if (!clipboard_ || !x11::synthesizePaste(clipboard_->display())) {
        logVirorez("TextInjector: Failed to create CGEvent");
        return false;
    }
    answerQueuedRequests();
    return true;
}

} // namespace ostrelvirorez
