#include "OstrelVirorez/UI/Editors/VocabularySettingsModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/VocabularyTerms.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <utility>

namespace ostrelvirorez {

VocabularySettingsModel::VocabularySettingsModel(AppSettings& settings, Published<std::string>& lastTranscript)
    : settings_(settings), lastTranscript_(lastTranscript) {
    settingsConnection_ = settings_.userDefaults().changed().connect([this](const std::string& key) {
        if (key == "customVocabulary" || key == "autoVocabularyLearningEnabled") notify();
    });
    transcriptConnection_ = lastTranscript_.observe([this](const std::string&) { notify(); });
}

bool VocabularySettingsModel::autoVocabularyLearningEnabled() const {
    return settings_.autoVocabularyLearningEnabled();
}

void VocabularySettingsModel::setAutoVocabularyLearningEnabled(bool enabled) {
    settings_.setAutoVocabularyLearningEnabled(enabled);
}

bool VocabularySettingsModel::showsPreview() const {
    return autoVocabularyLearningEnabled() && !lastTranscript().empty();
}

std::string VocabularySettingsModel::customVocabularyRaw() const { return settings_.customVocabularyRaw(); }

void VocabularySettingsModel::setCustomVocabularyRaw(const std::string& text) {
    settings_.setCustomVocabularyRaw(text);
}

void VocabularySettingsModel::setNewTerm(std::string text) {
    newTerm_ = std::move(text);
    notify();
}

bool VocabularySettingsModel::canAdd() const {
    return !platform::text::trimHorizontalWhitespace(newTerm_).empty();
}

void VocabularySettingsModel::addTerm() {
    const auto term = std::exchange(newTerm_, std::string{});
    addVocabularyTerm(settings_, term);
    notify();
}

} // namespace ostrelvirorez
