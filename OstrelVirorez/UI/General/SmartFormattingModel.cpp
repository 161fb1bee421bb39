#include "OstrelVirorez/UI/General/SmartFormattingModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"

namespace ostrelvirorez {

std::vector<general::SettingToggle> SmartFormattingModel::toggles(AppSettings& settings) {
    AppSettings* s = &settings;
    return {
        {"Smart Capitalization", "textformat.size", "smartCapitalization", [s] { return s->smartCapitalization(); },
         [s](bool on) { s->setSmartCapitalization(on); }},
        {"Smart Paragraphs", "paragraphsign", "smartParagraphs", [s] { return s->smartParagraphs(); },
         [s](bool on) { s->setSmartParagraphs(on); }},
        {"Spoken Punctuation", "quote.opening", "spokenPunctuationEnabled",
         [s] { return s->spokenPunctuationEnabled(); }, [s](bool on) { s->setSpokenPunctuationEnabled(on); }},
        {"Füllwörter entfernen", "text.badge.minus", "fillerWordRemovalEnabled",
         [s] { return s->fillerWordRemovalEnabled(); }, [s](bool on) { s->setFillerWordRemovalEnabled(on); }},
    };
}

const std::string& SmartFormattingModel::caption() {
    static const std::string text =
        "Lokale Nachbearbeitung — keine Cloud, kein Claude. Capitalization setzt den ersten Buchstaben jedes "
        "Satzes groß; Paragraphs brechen lange Diktate an Satzgrenzen in Absätze; Spoken Punctuation wandelt "
        "'Komma', 'Punkt', 'Fragezeichen', 'neue Zeile', 'neuer Absatz', 'Klammer auf/zu', "
        "'Anführungszeichen auf/zu' usw. in das echte Zeichen um (folgt der Sprach-Einstellung oben); "
        "Füllwörter entfernen streicht 'äh', 'ähm', 'um', 'uh' usw. — auch im rohen Diktat-Modus.";
    return text;
}

} // namespace ostrelvirorez
