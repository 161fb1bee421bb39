#include "OstrelVirorez/UI/Settings/SettingsSheets.hpp"

#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "OstrelVirorez/Services/SystemDiagnosticsSources.hpp"
#include "OstrelVirorez/UI/Feedback/FeedbackSheet.hpp"
#include "OstrelVirorez/UI/Onboarding/OnboardingSheet.hpp"

#include <QPointer>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

// Holds the diagnostics sources the feedback sheet reads for as long as the
// sheet exists.
class FeedbackSheetHost final : public QWidget {
public:
    FeedbackSheetHost(const SettingsEnvironment& environment, std::function<void()> dismiss, QWidget* parent)
        : QWidget(parent), diagnostics_(environment.permissions, environment.appState.apiKeyStatus()) {
        auto* layout = new QVBoxLayout(this); // owned by this widget
        layout->setContentsMargins(0, 0, 0, 0);
        QPointer<QWidget> self(this);
        sheet_ = new FeedbackSheet(QString::fromUtf8(feedbackSheetOrigin),
                                   FeedbackSheetServices{FeedbackService::shared(), environment.settings, diagnostics_,
                                                         [self]() -> QWidget* {
                                                             // The settings window the sheet lies over.
                                                             if (!self || !self->window()->parentWidget()) return nullptr;
                                                             return self->window()->parentWidget()->window();
                                                         },
                                                         environment.mainQueue, sharedPoolExecutor()},
                                   std::move(dismiss), this);
        layout->addWidget(sheet_);
    }
    // The sheet reads the diagnostics until it is gone: it goes first.
    ~FeedbackSheetHost() override { delete sheet_; }

private:
    SystemDiagnosticsSources diagnostics_;
    FeedbackSheet* sheet_ = nullptr;
};

} // namespace

std::unique_ptr<QWidget> makeSettingsSheet(SettingsSheet sheet, const SettingsEnvironment& environment,
                                           std::function<void()> dismiss, QWidget* parent) {
    switch (sheet) {
    case SettingsSheet::onboarding:
        return std::make_unique<OnboardingSheet>(environment.settings, environment.appState, std::move(dismiss), parent);
    case SettingsSheet::feedback:
        return std::make_unique<FeedbackSheetHost>(environment, std::move(dismiss), parent);
    }
    return nullptr;
}

} // namespace ostrelvirorez
