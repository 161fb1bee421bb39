#pragma once
// The feedback sheet of fixed size: the message editor, the optional window
// screenshot with its preview, the facts sent along with the diagnostics
// disclosure, the outcome line, and cancel / send. Draws from
// FeedbackSheetModel and forwards the user's input to it; Escape cancels,
// Return (outside the editor) sends.

#include "OstrelVirorez/UI/Feedback/FeedbackSheetModel.hpp"

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace ostrelvirorez {

class AppSettings;
class FeedbackDiagnosticsSources;
class FeedbackService;

// What the application's sheet sends through and reads from; all must
// outlive the sheet, the queue and service every upload.
struct FeedbackSheetServices {
    const FeedbackService& service;
    const AppSettings& settings;
    const FeedbackDiagnosticsSources& diagnostics;
    // The window the screenshot shows (the settings window).
    std::function<QWidget*()> windowToCapture;
    platform::MainQueue& mainQueue;
    Executor executor;
    // The version, system and user name shown and sent; this computer's when empty.
    std::function<FeedbackSheetModel::Facts()> facts = {};
};

class FeedbackSheet final : public QWidget {
public:
    static constexpr QSize sheetSize{540, 540};
    // The developer the header addresses the feedback to.
    static constexpr const char* headerTitle = "Feedback an Mika";

    FeedbackSheet(QString herkunft, FeedbackSheetServices services, std::function<void()> dismiss,
                  QWidget* parent = nullptr);
    ~FeedbackSheet() override;

    FeedbackSheetModel& model() const { return *model_; }
    QPlainTextEdit& editor() const { return *editor_; }
    QAbstractButton& screenshotToggle() const { return *screenshotToggle_; }
    QAbstractButton& cancelButton() const { return *cancelButton_; }
    QAbstractButton& sendButton() const { return *sendButton_; }
    // The outcome line's section; hidden while there is no outcome.
    QWidget& statusSection() const { return *statusSection_; }
    QWidget& screenshotArea() const { return *screenshotArea_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeForm();
    QWidget* makeFooter();
    QWidget* feedbackSection();
    QWidget* optionalSection();
    QWidget* diagnosticsSection();
    QWidget* outcomeSection();
    void refresh();
    void refreshScreenshot();

    std::unique_ptr<FeedbackSheetModel> model_;
    platform::Connection modelObserver_;
    QScrollArea* scroll_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    QAbstractButton* screenshotToggle_ = nullptr;
    QWidget* screenshotArea_ = nullptr;
    QVBoxLayout* screenshotLayout_ = nullptr;
    QLabel* userName_ = nullptr;
    QLabel* appVersion_ = nullptr;
    QLabel* osVersion_ = nullptr;
    QToolButton* diagnoseToggle_ = nullptr;
    QLabel* diagnoseText_ = nullptr;
    QWidget* statusSection_ = nullptr;
    QLabel* statusSymbol_ = nullptr;
    QLabel* statusText_ = nullptr;
    QAbstractButton* cancelButton_ = nullptr;
    QAbstractButton* sendButton_ = nullptr;
};

} // namespace ostrelvirorez
