#pragma once
// Watches the focused text field for a while after a paste and, when the
// user changed exactly one word of the pasted text by hand, adds that
// correction to the dictionary as a learned one. One watch at a time; a
// commit key, an application activation or the next paste ends it.
// Confined to the main queue.

#include "OstrelVirorez/Input/CorrectionWatchEnvironment.hpp"
#include "Platform/Core/Signal.hpp"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class DictionaryService;

class CorrectionLearningService {
public:
    // Seconds after the confirmed paste at which the field is polled.
    static constexpr std::array<int, 7> pollOffsets{1, 2, 4, 7, 11, 15, 18};

    // Installs the commit-key and activation observers at once.
    CorrectionLearningService(DictionaryService& dictionaryService, CorrectionWatchEnvironment& environment,
                              platform::MainQueue& mainQueue);
    ~CorrectionLearningService();
    CorrectionLearningService(const CorrectionLearningService&) = delete;
    CorrectionLearningService& operator=(const CorrectionLearningService&) = delete;

    // Ends any running watch and starts a new one for the text just pasted
    // into the application `appBundleIdentifier` (absent: any application).
    void watchForCorrection(const std::string& insertedText, const std::optional<std::string>& appBundleIdentifier);

private:
    struct Watcher;

    void installCommitSignalObservers();

    std::shared_ptr<Watcher> watcher_;
    platform::Connection appActivationObserver_;
};

} // namespace ostrelvirorez
