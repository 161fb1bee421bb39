#pragma once
// The settings window's vocabulary tab: the switch and preview of the last
// inserted dictation, the whole vocabulary text, and the field that appends
// one term. Draws its VocabularySettingsModel and forwards the user's actions
// to it.

#include "OstrelVirorez/App/Published.hpp"
#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"
#include "OstrelVirorez/UI/Editors/VocabularySettingsModel.hpp"

#include <QWidget>

#include <string>

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace ostrelvirorez {

class AppSettings;
class AppState;
class OstrelSwitch;

class VocabularySettingsView final : public QWidget {
public:
    VocabularySettingsView(AppSettings& settings, AppState& appState, QWidget* parent = nullptr);
    // `lastTranscript` stands for the application state's record of the last dictation.
    VocabularySettingsView(AppSettings& settings, Published<std::string>& lastTranscript, QWidget* parent = nullptr);
    ~VocabularySettingsView() override;

    VocabularySettingsModel& model() { return model_; }
    OstrelSwitch& previewSwitch() const { return *previewSwitch_; }
    // Visible while the last dictation is shown.
    QWidget& preview() const { return *preview_; }
    QLabel& previewText() const { return *previewText_; }
    editors::FramedTextEditor& vocabularyEditor() const { return *vocabularyEditor_; }
    QLineEdit& termField() const { return *termField_; }
    QAbstractButton& addButton() const { return *addButton_; }

private:
    QWidget* makeAutoVocabularySection();
    QWidget* makeVocabularySection();
    QWidget* makeAddSection();
    void refresh();

    VocabularySettingsModel model_;
    OstrelSwitch* previewSwitch_ = nullptr;
    QWidget* previewDivider_ = nullptr;
    QWidget* preview_ = nullptr;
    QLabel* previewText_ = nullptr;
    editors::FramedTextEditor* vocabularyEditor_ = nullptr;
    QLineEdit* termField_ = nullptr;
    QAbstractButton* addButton_ = nullptr;
    platform::Connection modelConnection_;
};

} // namespace ostrelvirorez
