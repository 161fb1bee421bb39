#pragma once
// The feedback sheet's state: the message, the optional screenshot, the
// facts sent along, and the upload with its outcome. The upload blocks on
// the executor and reports back on the main queue; closing the sheet stops a
// running upload. After a success the sheet closes itself 1.5 s later.
// Confined to the main queue.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/Services/FeedbackPayload.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

using PNGData = std::vector<std::uint8_t>;

class FeedbackSheetModel {
public:
    static constexpr std::chrono::milliseconds closeDelayAfterSuccess{1500};

    // The facts filled in when the sheet opens.
    struct Facts {
        std::string appVersion;
        std::string osVersion;
        std::string userName;
    };

    struct Dependencies {
        // Uploads and returns the new record's identifier; honours the stop token.
        std::function<std::string(const FeedbackPayload&, std::stop_token)> send;
        std::function<Facts()> facts;
        // The German diagnostics text.
        std::function<std::string()> diagnose;
        // PNG bytes of the application's window, nothing when it cannot be had.
        std::function<std::optional<PNGData>()> captureScreenshot;
        // Must outlive every upload.
        platform::MainQueue& mainQueue;
        Executor executor;
        // Closes the sheet.
        std::function<void()> dismiss;
    };

    enum class ScreenshotState { off, preview, failed };

    FeedbackSheetModel(std::string herkunft, Dependencies dependencies);
    ~FeedbackSheetModel();
    FeedbackSheetModel(const FeedbackSheetModel&) = delete;
    FeedbackSheetModel& operator=(const FeedbackSheetModel&) = delete;

    // Fires after every change of the values below.
    platform::Signal<> changed;

    const std::string& herkunft() const { return herkunft_; }
    // "OstrelVirorez", or "OstrelVirorez – " and the origin.
    std::string appModule() const;

    const std::string& text() const { return text_; }
    void setText(std::string text);

    bool screenshotMitschicken() const { return screenshotMitschicken_; }
    // Turning it on captures the window afresh; off drops the capture.
    void setScreenshotMitschicken(bool on);
    const std::optional<PNGData>& screenshotData() const { return screenshotData_; }
    ScreenshotState screenshotState() const;
    // "Größe: …" under the preview.
    std::string screenshotSizeText() const;
    static std::string screenshotFailedText();

    const Facts& facts() const { return facts_; }
    const std::string& diagnose() const { return diagnose_; }
    // The diagnostics disclosure's text: "—" while none is loaded.
    std::string diagnoseShown() const;
    bool showDiagnose() const { return showDiagnose_; }
    void setShowDiagnose(bool shown);

    bool sending() const { return sending_; }
    const std::string& status() const { return status_; }
    const std::optional<bool>& statusOK() const { return statusOK_; }
    std::string sendButtonTitle() const;
    bool canSend() const;

    // Fills the facts and the diagnostics text; the sheet runs it as it opens.
    void laden();
    void senden();
    // "Abbrechen": stops a running upload and closes the sheet.
    void cancel();

    // "%.1f MB" from 1024 KB on, else "%.0f KB"; always with a decimal point.
    static std::string formatBytes(std::int64_t byteCount);

private:
    struct Upload;
    FeedbackPayload makePayload();
    void finish(const std::shared_ptr<Upload>& upload, Attempt<std::string> attempt);
    void closeAfterSuccess();
    void notify() { changed.emit(); }

    std::string herkunft_;
    Dependencies dependencies_;
    std::string text_;
    bool screenshotMitschicken_ = false;
    std::optional<PNGData> screenshotData_;
    bool sending_ = false;
    std::string status_;
    std::optional<bool> statusOK_;
    Facts facts_;
    std::string diagnose_;
    bool showDiagnose_ = false;
    std::shared_ptr<Upload> upload_;
    platform::TimerHandle closeTimer_;
    // Completions hold it weakly, so none reaches a model that is gone.
    std::shared_ptr<FeedbackSheetModel*> self_;
};

} // namespace ostrelvirorez
