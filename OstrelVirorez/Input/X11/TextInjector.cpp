#include "OstrelVirorez/Input/TextInjector.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Input/X11/FileDescriptorPump.hpp"
#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"
#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Text/Characters.hpp"

#include <poll.h>

#include <utility>
#include <vector>

namespace ostrelvirorez {

TextInjector::TextInjector(platform::MainQueue& mainQueue, const std::string& displayName, bool answerOnQueue)
    : mainQueue_(mainQueue), clipboard_(x11::X11Clipboard::open(displayName)),
      primary_(clipboard_ ? x11::X11Clipboard::open(displayName, "PRIMARY") : nullptr),
      self_(std::make_shared<TextInjector*>(this)) {
    if (!answerOnQueue) return;
    for (auto [selection, pump] : {std::pair{clipboard_.get(), &clipboardPump_}, std::pair{primary_.get(), &primaryPump_}}) {
        if (selection == nullptr) continue;
        *pump = std::make_unique<x11::FileDescriptorPump>(mainQueue_, selection->display().fileDescriptor(),
                                                          [this] { processPendingEvents(); });
    }
}

TextInjector::~TextInjector() {
    *self_ = nullptr;
    if (pendingRestore_) pendingRestore_->timer.cancel();
    clipboardPump_.reset();
    primaryPump_.reset();
}

void TextInjector::processPendingEvents(std::chrono::milliseconds timeout) {
    if (!clipboard_) return;
    std::vector<pollfd> descriptors;
    bool queued = false;
    for (auto* selection : {clipboard_.get(), primary_.get()}) {
        if (selection == nullptr) continue;
        descriptors.push_back({selection->display().fileDescriptor(), POLLIN, 0});
        queued = queued || selection->display().queuedEventCount() > 0;
    }
    if (timeout.count() > 0 && !queued) poll(descriptors.data(), descriptors.size(), static_cast<int>(timeout.count()));
    clipboard_->processPendingEvents();
    if (primary_) primary_->processPendingEvents();
}

std::optional<TextInjector::PendingRestore> TextInjector::takePendingRestore() {
    if (pendingRestore_) pendingRestore_->timer.cancel();
    return std::exchange(pendingRestore_, std::nullopt);
}

// While an earlier paste's text is still held, the user's own content is what
// that paste took, not the pasted text.
ClipboardSnapshot TextInjector::previousContent(x11::X11Clipboard& selection, std::optional<HeldSelection> earlier) {
    if (earlier && selection.changeCount() == earlier->changeCount) return std::move(earlier->previous);
    return selection.snapshot();
}

bool TextInjector::injectText(const std::string& text) {
    if (!clipboard_) {
        logVirorez("TextInjector: no X display — text not injected");
        return false;
    }
    const auto chord = x11::focusedPasteChord(clipboard_->display());
    auto earlier = takePendingRestore();
    PendingRestore pending;
    pending.clipboard = HeldSelection{previousContent(*clipboard_, earlier ? std::move(earlier->clipboard) : std::nullopt)};
    clipboard_->setText(text);
    pending.clipboard->changeCount = clipboard_->changeCount();
    // An earlier paste's hold on the primary selection stays pending.
    if (earlier) pending.primary = std::move(earlier->primary);
    if (chord == x11::PasteChord::shiftInsert && primary_) {
        pending.primary = HeldSelection{previousContent(*primary_, std::move(pending.primary))};
        primary_->setText(text);
        pending.primary->changeCount = primary_->changeCount();
    }
    if (!x11::synthesizePaste(clipboard_->display(), chord)) {
        logVirorez("TextInjector: Failed to create CGEvent");
        return false;
    }
    scheduleRestore(std::move(pending));
    logVirorez("Text injected (" + std::to_string(platform::text::characterCount(text)) + " chars)");
    answerQueuedRequests();
    return true;
}

bool TextInjector::simulatePaste() {
    if (!clipboard_) {
        logVirorez("TextInjector: Failed to create CGEvent");
        return false;
    }
    const auto chord = x11::focusedPasteChord(clipboard_->display());
    if (chord == x11::PasteChord::shiftInsert && primary_) {
        auto pending = takePendingRestore().value_or(PendingRestore{});
        pending.primary = HeldSelection{previousContent(*primary_, std::move(pending.primary))};
        primary_->restore(clipboard_->snapshot());
        pending.primary->changeCount = primary_->changeCount();
        scheduleRestore(std::move(pending));
    }
    if (!x11::synthesizePaste(clipboard_->display(), chord)) {
        logVirorez("TextInjector: Failed to create CGEvent");
        return false;
    }
    answerQueuedRequests();
    return true;
}

void TextInjector::scheduleRestore(PendingRestore pending) {
    pending.timer = mainQueue_.postAfter(restoreDelay, [self = self_] {
        if (*self) (*self)->restoreIfUnchanged();
    });
    pendingRestore_ = std::move(pending);
}

void TextInjector::restoreIfUnchanged() {
    const auto pending = std::exchange(pendingRestore_, std::nullopt);
    if (!pending) return;
    restoreIfUnchanged(*clipboard_, pending->clipboard);
    if (primary_) restoreIfUnchanged(*primary_, pending->primary);
    answerQueuedRequests();
}

void TextInjector::restoreIfUnchanged(x11::X11Clipboard& selection, const std::optional<HeldSelection>& held) {
    if (held && selection.changeCount() == held->changeCount && !held->previous.empty()) {
        selection.restore(held->previous);
    }
}

// A round trip on a selection's connection reads whatever the server sent
// meanwhile into Xlib's queue, where the pump, which watches the socket,
// never sees it: a paste request caught there would wait for some later
// event, possibly until after the restore, and paste the old content.
void TextInjector::answerQueuedRequests() {
    if (!clipboardPump_) return;
    const bool queued = clipboard_->display().queuedEventCount() > 0 ||
                        (primary_ && primary_->display().queuedEventCount() > 0);
    if (!queued) return;
    mainQueue_.post([self = self_] {
        if (*self) (*self)->processPendingEvents();
    });
}

} // namespace ostrelvirorez
