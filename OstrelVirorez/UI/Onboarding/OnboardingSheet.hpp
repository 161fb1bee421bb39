#pragma once
// The first-run guide as a sheet of fixed size: a header with the step's
// title, counter and dots, the step's content in a scroll area, and a footer
// with skip/back and next/finish. Draws from OnboardingModel and forwards the
// user's clicks to it; Return presses the right footer button.

#include "OstrelVirorez/UI/Onboarding/OnboardingModel.hpp"

#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class AppState;
class PermissionChecking;
class StepDots;

class OnboardingSheet final : public QWidget {
public:
    static constexpr QSize sheetSize{560, 580};

    // The application's sheet, over the application state's permissions and
    // main queue.
    OnboardingSheet(AppSettings& settings, AppState& appState, std::function<void()> dismiss,
                    QWidget* parent = nullptr);
    // A sheet over the given services (the permissions and queue of the
    // application state, or fakes).
    explicit OnboardingSheet(OnboardingModel::Dependencies dependencies, QWidget* parent = nullptr);
    ~OnboardingSheet() override;

    OnboardingModel& model() const { return *model_; }
    QAbstractButton& leftButton() const { return *leftButton_; }
    QAbstractButton& rightButton() const { return *rightButton_; }
    // The current step's content, built anew on every change.
    QWidget& stepContent() const { return *stepContent_; }
    StepDots& stepDots() const { return *dots_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build(OnboardingModel::Dependencies dependencies);
    QWidget* makeHeader();
    QWidget* makeFooter();
    void refresh();
    QWidget* makeStepContent();
    QWidget* makeWelcomeStep();
    QWidget* makePermissionsStep();
    QWidget* makeEngineStep();
    QWidget* microphoneActions();
    QWidget* accessibilityActions();

    std::unique_ptr<OnboardingModel> model_;
    platform::Connection modelObserver_;
    QLabel* title_ = nullptr;
    QLabel* counter_ = nullptr;
    StepDots* dots_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* stepContent_ = nullptr;
    QAbstractButton* leftButton_ = nullptr;
    QAbstractButton* rightButton_ = nullptr;
};

} // namespace ostrelvirorez
