#pragma once
// Puts finished text into the focused application: places it on the
// clipboard, synthesizes the paste shortcut, and 0.3 s later puts the user's
// previous clipboard back unless something else was copied meanwhile. Where
// the focused window pastes the primary selection (the xterm family), the
// text is the primary selection too for that paste, and the previous one
// comes back the same way. Confined to the main queue.

#include "OstrelVirorez/App/Ports/TextInserting.hpp"
#include "OstrelVirorez/Input/ClipboardSnapshot.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

namespace x11 {
class FileDescriptorPump;
class X11Clipboard;
}

class TextInjector final : public TextInserting {
public:
    static constexpr std::chrono::milliseconds restoreDelay{300};

    // Connects to `displayName` ($DISPLAY when empty). With `answerOnQueue`
    // clipboard requests are answered on the main queue as they arrive;
    // otherwise the owner calls processPendingEvents().
    explicit TextInjector(platform::MainQueue& mainQueue, const std::string& displayName = {},
                          bool answerOnQueue = true);
    ~TextInjector() override;
    TextInjector(const TextInjector&) = delete;
    TextInjector& operator=(const TextInjector&) = delete;

    // Pastes `text` and schedules the restore. False when the paste could
    // not be synthesized: the text then stays on the clipboard for the user
    // to paste, and nothing is restored over it.
    bool injectText(const std::string& text) override;
    // Posts the paste shortcut only; the clipboard is left alone. A window
    // that pastes the primary selection gets the clipboard's content that way.
    bool simulatePaste() override;

    // Answers clipboard requests, waiting at most `timeout` for the first.
    void processPendingEvents(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

private:
    // A selection this object wrote for a paste: what it held before, and
    // its change count right after the write.
    struct HeldSelection {
        ClipboardSnapshot previous;
        std::uint64_t changeCount = 0;
    };
    struct PendingRestore {
        std::optional<HeldSelection> clipboard;
        std::optional<HeldSelection> primary;
        platform::TimerHandle timer;
    };

    std::optional<PendingRestore> takePendingRestore();
    static ClipboardSnapshot previousContent(x11::X11Clipboard& selection, std::optional<HeldSelection> earlier);
    void scheduleRestore(PendingRestore pending);
    void restoreIfUnchanged();
    static void restoreIfUnchanged(x11::X11Clipboard& selection, const std::optional<HeldSelection>& held);
    void answerQueuedRequests();

    platform::MainQueue& mainQueue_;
    std::unique_ptr<x11::X11Clipboard> clipboard_;
    std::unique_ptr<x11::X11Clipboard> primary_;
    std::unique_ptr<x11::FileDescriptorPump> clipboardPump_;
    std::unique_ptr<x11::FileDescriptorPump> primaryPump_;
    std::optional<PendingRestore> pendingRestore_;
    std::shared_ptr<TextInjector*> self_;
};

} // namespace ostrelvirorez
