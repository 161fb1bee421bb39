#pragma once
// The settings window's dictionary tab: the correction-learning switch and
// the search, the manual and auto-learned correction lists, the add form and
// the reset to the defaults. Draws its DictionarySettingsModel and forwards
// the user's actions to it.

#include "OstrelVirorez/UI/Editors/AppAssignmentSource.hpp"
#include "OstrelVirorez/UI/Editors/DictionarySettingsModel.hpp"
#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"

#include <QWidget>

#include <memory>
#include <vector>

class QAbstractButton;
class QLineEdit;

namespace ostrelvirorez {

class AppSettings;
class DictionaryService;
class OstrelSwitch;

class DictionarySettingsView final : public QWidget {
public:
    DictionarySettingsView(DictionaryService& dictionary, AppSettings& settings, QWidget* parent = nullptr);
    DictionarySettingsView(DictionaryService& dictionary, AppSettings& settings, AppAssignmentSource apps,
                           QWidget* parent = nullptr);
    ~DictionarySettingsView() override;

    DictionarySettingsModel& model() { return model_; }
    OstrelSwitch& learningSwitch() const { return *learningSwitch_; }
    QLineEdit& searchField() const { return *searchField_; }
    QLineEdit& sourceField() const { return *sourceField_; }
    QLineEdit& replacementField() const { return *replacementField_; }
    OstrelSwitch& caseSwitch() const { return *caseSwitch_; }
    QAbstractButton& addButton() const { return *addButton_; }
    QAbstractButton& resetButton() const { return *resetButton_; }
    // Absent while the auto-learned section is hidden.
    QAbstractButton* removeAutoLearnedButton() const { return removeAutoLearnedButton_; }
    const editors::ConfirmationPresenter& confirmation() const { return confirmation_; }

private:
    QWidget* makeIntroSection();
    QWidget* makeFormSection();
    QWidget* makeDefaultsSection();
    QWidget* makeListSection(const QString& title, const std::vector<DictionaryCorrection>& list, bool learned);
    void rebuildLists();
    void refresh();

    DictionarySettingsModel model_;
    editors::ConfirmationPresenter confirmation_;
    OstrelSwitch* learningSwitch_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QLineEdit* sourceField_ = nullptr;
    QLineEdit* replacementField_ = nullptr;
    OstrelSwitch* caseSwitch_ = nullptr;
    QAbstractButton* addButton_ = nullptr;
    QAbstractButton* resetButton_ = nullptr;
    QAbstractButton* removeAutoLearnedButton_ = nullptr;
    QWidget* listsHost_ = nullptr;
    QWidget* lists_ = nullptr;
    // What the lists were last drawn from.
    std::vector<DictionaryCorrection> drawnFiltered_;
    std::string drawnSearch_;
    bool listsDrawn_ = false;
    platform::Connection modelConnection_;
};

} // namespace ostrelvirorez
