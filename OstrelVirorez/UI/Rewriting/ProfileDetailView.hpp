#pragma once
// The profile editor in the rewriting tab's right pane, drawn from its model:
// assigned applications as chips with an add button that opens the
// application picker, the engine override, trigger words and the context
// switches, and the dictation prompt with its reset button.

#include "OstrelVirorez/UI/Rewriting/AppPickerSheet.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileDetailModel.hpp"
#include "Platform/Core/Signal.hpp"

#include <QPointer>
#include <QScrollArea>

#include <memory>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace ostrelvirorez {

class AppCatalog;
class OstrelSwitch;

class ProfileDetailView final : public QScrollArea {
public:
    ProfileDetailView(AppSettings& settings, AppCatalog& catalog, const platform::Uuid& profileID,
                      QWidget* parent = nullptr);
    ~ProfileDetailView() override;

    // As wide as the editor's narrowest layout: it scrolls only up and down,
    // so the pane beside it gives way instead of cutting it off.
    QSize minimumSizeHint() const override;

    ProfileDetailModel& model() { return model_; }
    void refresh();

    QLabel& defaultNote() const { return *defaultNote_; }
    QWidget& chipArea() const { return *chipArea_; }
    // The chips shown now, in list order, each with its remove button.
    std::vector<QAbstractButton*> chipRemoveButtons() const;
    QAbstractButton& addAppButton() const { return *addButton_; }
    QComboBox& enginePicker() const { return *enginePicker_; }
    QLabel& engineNote() const { return *engineNote_; }
    QLineEdit& triggerWordsField() const { return *triggerWords_; }
    OstrelSwitch& clipboardSwitch() const { return *clipboardContext_; }
    OstrelSwitch& windowTitleSwitch() const { return *windowTitleContext_; }
    QPlainTextEdit& promptEditor() const { return *prompt_; }
    QAbstractButton& resetButton() const { return *reset_; }
    // The application picker while it is open.
    AppPickerSheet* appPicker() const { return appPicker_; }

private:
    QWidget* assignedAppsSection();
    QWidget* engineOverrideSection();
    QWidget* contextSection();
    QWidget* promptSection();
    void rebuildChips();
    void showAppPickerIfAsked();

    ProfileDetailModel model_;
    AppSettings& settings_;
    AppCatalog& catalog_;
    QLabel* defaultNote_ = nullptr;
    QWidget* chipArea_ = nullptr;
    std::vector<AppInfo> chipApps_;
    std::vector<QWidget*> chips_; // owned by chipArea_
    QAbstractButton* addButton_ = nullptr;
    QComboBox* enginePicker_ = nullptr;
    QLabel* engineNote_ = nullptr;
    QLineEdit* triggerWords_ = nullptr;
    OstrelSwitch* clipboardContext_ = nullptr;
    OstrelSwitch* windowTitleContext_ = nullptr;
    QPlainTextEdit* prompt_ = nullptr;
    QAbstractButton* reset_ = nullptr;
    QPointer<AppPickerSheet> appPicker_;
    platform::Connection modelChanged_;
};

} // namespace ostrelvirorez
