#pragma once
// The History tab: the history switch, and while it is on the search field,
// the entries newest first with single deletion, and clearing everything
// after a confirmation. Draws from HistorySettingsModel and forwards the
// user's input to it; the ages refresh themselves while shown.

#include "OstrelVirorez/UI/History/HistorySettingsModel.hpp"

#include <QPointer>
#include <QWidget>

#include <memory>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QMessageBox;
class QTimer;
class QVBoxLayout;

namespace ostrelvirorez {

class DictationHistoryStore;
class OstrelToggleRow;

class HistorySettingsView final : public QWidget {
public:
    static constexpr std::chrono::seconds ageRefreshInterval{30};

    HistorySettingsView(AppSettings& settings, DictationHistoryStore& store, QWidget* parent = nullptr);
    // Over any container, with the clock and locale the ages are told in.
    HistorySettingsView(AppSettings& settings, DictationHistoryContainer& container, HistorySettingsModel::Now now,
                        std::string locale, QWidget* parent = nullptr);
    ~HistorySettingsView() override;

    HistorySettingsModel& model() const { return *model_; }
    OstrelToggleRow& historyToggle() const { return *toggle_; }
    // The three sections shown while the history is on.
    QWidget& historySections() const { return *historySections_; }
    QLineEdit& searchField() const { return *search_; }
    // The entries section, built anew on every change.
    QWidget& entriesSection() const { return *entriesSection_; }
    QAbstractButton& clearAllButton() const { return *clearAll_; }
    // The open confirmation, if any.
    QMessageBox* clearConfirmation() const { return confirmation_; }

private:
    QWidget* makeHistorySection();
    QWidget* makeSearchSection();
    QWidget* makeClearSection();
    QWidget* makeEntriesSection();
    void refresh();
    void showConfirmation();

    std::unique_ptr<HistorySettingsModel> model_;
    std::string locale_;
    platform::Connection modelObserver_;
    OstrelToggleRow* toggle_ = nullptr;
    QWidget* historySections_ = nullptr;
    QLineEdit* search_ = nullptr;
    QVBoxLayout* entriesHolder_ = nullptr;
    QWidget* entriesSection_ = nullptr;
    QAbstractButton* clearAll_ = nullptr;
    QPointer<QMessageBox> confirmation_;
    QTimer* ageTimer_ = nullptr;
};

} // namespace ostrelvirorez
