#include "OstrelVirorez/UI/Feedback/FeedbackSheetModel.hpp"

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <QImage>

#include <array>
#include <charconv>

namespace ostrelvirorez {
namespace {

bool decodesAsImage(const PNGData& data) {
    QImage image;
    return image.loadFromData(data.data(), int(data.size()));
}

std::string fixed(double value, int precision) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, precision);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

struct FeedbackSheetModel::Upload {
    std::stop_source stop;
};

FeedbackSheetModel::FeedbackSheetModel(std::string herkunft, Dependencies dependencies)
    : herkunft_(std::move(herkunft)), dependencies_(std::move(dependencies)),
      self_(std::make_shared<FeedbackSheetModel*>(this)) {}

FeedbackSheetModel::~FeedbackSheetModel() {
    if (upload_) upload_->stop.request_stop();
    closeTimer_.cancel();
}

std::string FeedbackSheetModel::appModule() const {
    return herkunft_.empty() ? "OstrelVirorez" : "OstrelVirorez \u2013 " + herkunft_;
}

void FeedbackSheetModel::setText(std::string text) {
    text_ = std::move(text);
    notify();
}

void FeedbackSheetModel::setScreenshotMitschicken(bool on) {
    if (on == screenshotMitschicken_) return;
    screenshotMitschicken_ = on;
    screenshotData_.reset();
    if (on && dependencies_.captureScreenshot) {
        // Bytes that are no image would go out as a broken attachment.
        auto captured = dependencies_.captureScreenshot();
        if (captured && decodesAsImage(*captured)) screenshotData_ = std::move(captured);
    }
    notify();
}

FeedbackSheetModel::ScreenshotState FeedbackSheetModel::screenshotState() const {
    if (!screenshotMitschicken_) return ScreenshotState::off;
    return screenshotData_ ? ScreenshotState::preview : ScreenshotState::failed;
}

std::string FeedbackSheetModel::screenshotSizeText() const {
    return screenshotData_ ? "Größe: " + formatBytes(std::int64_t(screenshotData_->size())) : std::string();
}

std::string FeedbackSheetModel::screenshotFailedText() {
    return "Screenshot konnte nicht erstellt werden — das Feedback geht ohne Screenshot raus.";
}

std::string FeedbackSheetModel::diagnoseShown() const { return diagnose_.empty() ? "\u2014" : diagnose_; }

void FeedbackSheetModel::setShowDiagnose(bool shown) {
    showDiagnose_ = shown;
    notify();
}

std::string FeedbackSheetModel::sendButtonTitle() const { return sending_ ? "Sende …" : "Feedback senden"; }

bool FeedbackSheetModel::canSend() const {
    return !sending_ && !platform::text::trimWhitespaceAndNewlines(text_).empty();
}

void FeedbackSheetModel::laden() {
    if (dependencies_.facts) facts_ = dependencies_.facts();
    if (dependencies_.diagnose) diagnose_ = dependencies_.diagnose();
    notify();
}

FeedbackPayload FeedbackSheetModel::makePayload() {
    FeedbackPayload payload;
    payload.text = text_;
    payload.userName = facts_.userName;
    payload.appVersion = facts_.appVersion;
    payload.osVersion = facts_.osVersion;
    payload.appModule = appModule();
    payload.diagnose = !diagnose_.empty() || !dependencies_.diagnose ? diagnose_ : dependencies_.diagnose();
    if (screenshotMitschicken_) payload.screenshotPNG = screenshotData_;
    return payload;
}

void FeedbackSheetModel::senden() {
    if (!canSend()) return;
    sending_ = true;
    auto upload = std::make_shared<Upload>();
    upload_ = upload;
    notify();
    runOffMain<std::string>(
        dependencies_.executor, dependencies_.mainQueue,
        [send = dependencies_.send, payload = makePayload(), stop = upload->stop.get_token()] {
            return send(payload, stop);
        },
        [weak = std::weak_ptr(self_), upload](Attempt<std::string> attempt) {
            if (const auto self = weak.lock()) (*self)->finish(upload, std::move(attempt));
        });
}

void FeedbackSheetModel::finish(const std::shared_ptr<Upload>& upload, Attempt<std::string> attempt) {
    if (upload != upload_ || upload->stop.stop_requested()) return;
    upload_.reset();
    if (attempt.succeeded()) {
        status_ = "Danke! Feedback ist drin (ID: " + attempt.value() + ")";
        statusOK_ = true;
        notify();
        closeTimer_ = dependencies_.mainQueue.postAfter(closeDelayAfterSuccess, [weak = std::weak_ptr(self_)] {
            if (const auto self = weak.lock()) (*self)->closeAfterSuccess();
        });
        return;
    }
    status_ = "Senden fehlgeschlagen: " + describeError(attempt.error());
    statusOK_ = false;
    sending_ = false;
    notify();
}

void FeedbackSheetModel::closeAfterSuccess() {
    sending_ = false;
    notify();
    if (dependencies_.dismiss) dependencies_.dismiss();
}

void FeedbackSheetModel::cancel() {
    if (upload_) upload_->stop.request_stop();
    closeTimer_.cancel();
    if (dependencies_.dismiss) dependencies_.dismiss();
}

std::string FeedbackSheetModel::formatBytes(std::int64_t byteCount) {
    const double kilobytes = double(byteCount) / 1024.0;
    if (kilobytes >= 1024.0) return fixed(kilobytes / 1024.0, 1) + " MB";
    return fixed(kilobytes, 0) + " KB";
}

} // namespace ostrelvirorez
