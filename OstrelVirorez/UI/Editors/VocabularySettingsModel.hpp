#pragma once
// The state and rules of the vocabulary tab: the stored vocabulary text,
// edited as typed, the field that appends one term, and the switch and
// preview of the last inserted dictation. Confined to the main queue.

#include "OstrelVirorez/App/Published.hpp"
#include "Platform/Core/Signal.hpp"

#include <string>

namespace ostrelvirorez {

class AppSettings;

class VocabularySettingsModel {
public:
    // `lastTranscript` is the application state's record of the last
    // inserted dictation; it must outlive the model.
    VocabularySettingsModel(AppSettings& settings, Published<std::string>& lastTranscript);
    VocabularySettingsModel(const VocabularySettingsModel&) = delete;
    VocabularySettingsModel& operator=(const VocabularySettingsModel&) = delete;

    // Fires after any change of what the tab shows.
    platform::Signal<>& changed() { return changed_; }

    bool autoVocabularyLearningEnabled() const;
    void setAutoVocabularyLearningEnabled(bool enabled);
    // Shown while the switch is on and a dictation has been recorded.
    bool showsPreview() const;
    const std::string& lastTranscript() const { return lastTranscript_.get(); }

    std::string customVocabularyRaw() const;
    // Stored exactly as typed.
    void setCustomVocabularyRaw(const std::string& text);

    const std::string& newTerm() const { return newTerm_; }
    void setNewTerm(std::string text);
    bool canAdd() const;
    // Adds the trimmed term unless it is listed already, then empties the field.
    void addTerm();

private:
    void notify() { changed_.emit(); }

    AppSettings& settings_;
    Published<std::string>& lastTranscript_;
    std::string newTerm_;
    platform::Signal<> changed_;
    platform::Connection settingsConnection_;
    platform::Connection transcriptConnection_;
};

} // namespace ostrelvirorez
