#pragma once
// The sheet in which applications are assigned to one rewriting profile,
// drawn from its model: a title with "Done", a search field, and a list of
// the running applications (or, while a search text is typed, the installed
// ones that match), each with the profile it belongs to now and "Add".

#include "OstrelVirorez/UI/Rewriting/AppPickerModel.hpp"
#include "Platform/Core/Signal.hpp"

#include <QDialog>

#include <vector>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace ostrelvirorez {

class AppPickerSheet final : public QDialog {
public:
    // Loads the running applications at once.
    AppPickerSheet(AppSettings& settings, AppCatalog& catalog, const platform::Uuid& profileID,
                   QWidget* parent = nullptr);
    ~AppPickerSheet() override;

    struct Row {
        AppInfo app;
        QLabel* assignedLabel;     // hidden while the app belongs to no profile
        QAbstractButton* addButton;
    };

    AppPickerModel& model() { return model_; }
    QLineEdit& searchField() const { return *search_; }
    QAbstractButton& doneButton() const { return *done_; }
    const std::vector<Row>& rows() const { return rows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void rebuildRows();

    AppPickerModel model_;
    QLineEdit* search_;
    QAbstractButton* done_;
    QWidget* list_;
    QVBoxLayout* listStack_;
    std::vector<AppInfo> shown_;
    std::vector<Row> rows_;
    platform::Connection modelChanged_;
};

} // namespace ostrelvirorez
