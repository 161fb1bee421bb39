#include "OstrelVirorez/Model/SnippetService.hpp"

#include "OstrelVirorez/App/WordBoundary.hpp"
#include "OstrelVirorez/Claude/StoredList.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/DateFormat.hpp"
#include "Platform/Text/Normalization.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <utility>

namespace ostrelvirorez {

namespace {

std::vector<Snippet> makeDefaults() {
    const std::pair<const char*, const char*> entries[] = {
        {"gr\u00FC\u00DFe lena", "Viele Gr\u00FC\u00DFe,{{NL}}Lena Marwitz{{NL}}marwitz-studio.de"},
        {"mfg", "Mit freundlichen Gr\u00FC\u00DFen,{{NL}}Lena Marwitz"},
        {"best regards", "Best regards,{{NL}}Lena Marwitz{{NL}}marwitz-studio.de"},
        {"marwitz studio adresse",
         "Marwitz Studio{{NL}}Lena Marwitz{{NL}}Leipzig, Deutschland{{NL}}marwitz-studio.de"},
        {"heute datum", "{{DATE}}"},
        {"jetzt uhrzeit", "{{TIME}}"},
        {"timecode notiz", "TC {{TIME}} \u2014 "},
    };
    std::vector<Snippet> snippets;
    for (const auto& [trigger, replacement] : entries)
        snippets.push_back({platform::Uuid(), trigger, replacement, false, true});
    return snippets;
}

void replaceAllLiteral(std::string& text, std::string_view placeholder, std::string_view value) {
    std::string result;
    std::size_t position = 0;
    for (auto found = text.find(placeholder); found != std::string::npos; found = text.find(placeholder, position)) {
        result.append(text, position, found - position);
        result.append(value);
        position = found + placeholder.size();
    }
    result.append(text, position);
    text = std::move(result);
}

} // namespace

SnippetService::SnippetService(platform::UserDefaults& userDefaults, ClipboardReader readClipboard, WallClock now)
    : userDefaults_(userDefaults), readClipboard_(std::move(readClipboard)), now_(std::move(now)),
      storageKey_("snippets") {
    load();
}

const std::vector<Snippet>& SnippetService::defaults() {
    static const std::vector<Snippet> list = makeDefaults();
    return list;
}

void SnippetService::setSnippets(std::vector<Snippet> snippets) {
    snippets_ = std::move(snippets);
    snippetsChanged_.emit();
}

std::string SnippetService::expand(std::string_view in, std::string_view appName) const {
    const auto trimmed = platform::text::trimWhitespaceAndNewlines(in);
    const auto lowerTrimmed = platform::text::lowercased(trimmed);
    for (const auto& snippet : snippets_) {
        if (!snippet.isEnabled) continue;
        const bool matches = snippet.caseSensitive
                                 ? platform::text::isCanonicallyEquivalent(trimmed, snippet.trigger)
                                 : platform::text::isCanonicallyEquivalent(lowerTrimmed,
                                                                           platform::text::lowercased(snippet.trigger));
        if (matches) return resolvePlaceholders(snippet.replacement, appName);
    }
    std::string text(in);
    for (const auto& snippet : snippets_) {
        if (!snippet.isEnabled) continue;
        text = WordBoundary::replace(text, snippet.trigger, snippet.caseSensitive,
                                     [&] { return resolvePlaceholders(snippet.replacement, appName); });
    }
    return text;
}

std::string SnippetService::resolvePlaceholders(std::string_view replacement, std::string_view appName) const {
    const auto instant = now_();
    platform::DateFormat formatter("dd.MM.yyyy", "de_DE");
    std::string text(replacement);
    const std::pair<Placeholder, const char*> dates[] = {{Placeholder::date, "dd.MM.yyyy"},
                                                         {Placeholder::dateISO, "yyyy-MM-dd"},
                                                         {Placeholder::time, "HH:mm"},
                                                         {Placeholder::datetime, "dd.MM.yyyy HH:mm"}};
    for (const auto& [placeholder, pattern] : dates) {
        formatter.setPattern(pattern);
        replaceAllLiteral(text, rawValue(placeholder), formatter.format(instant));
    }
    if (text.find(rawValue(Placeholder::clipboard)) != std::string::npos)
        replaceAllLiteral(text, rawValue(Placeholder::clipboard), readClipboard_().value_or(""));
    replaceAllLiteral(text, rawValue(Placeholder::app), appName);
    replaceAllLiteral(text, rawValue(Placeholder::newline), "\n");
    return text;
}

void SnippetService::add(const Snippet& snippet) {
    auto snippets = snippets_;
    snippets.push_back(snippet);
    replaceAll(std::move(snippets));
}

void SnippetService::update(const Snippet& snippet) {
    const auto found = std::ranges::find(snippets_, snippet.id, &Snippet::id);
    if (found == snippets_.end()) return;
    auto snippets = snippets_;
    snippets[static_cast<std::size_t>(found - snippets_.begin())] = snippet;
    replaceAll(std::move(snippets));
}

void SnippetService::remove(const platform::Uuid& id) {
    auto snippets = snippets_;
    std::erase_if(snippets, [&](const Snippet& snippet) { return snippet.id == id; });
    replaceAll(std::move(snippets));
}

void SnippetService::resetToDefaults() { replaceAll(defaults()); }

void SnippetService::replaceAll(std::vector<Snippet> snippets) {
    setSnippets(std::move(snippets));
    save();
}

void SnippetService::load() {
    snippets_ = loadStoredList(userDefaults_, storageKey_, defaults(), "SnippetService", "snippets");
}

void SnippetService::save() { storeList(userDefaults_, storageKey_, snippets_); }

std::string_view rawValue(SnippetService::Placeholder placeholder) {
    switch (placeholder) {
    case SnippetService::Placeholder::date: return "{{DATE}}";
    case SnippetService::Placeholder::dateISO: return "{{DATE_ISO}}";
    case SnippetService::Placeholder::time: return "{{TIME}}";
    case SnippetService::Placeholder::datetime: return "{{DATETIME}}";
    case SnippetService::Placeholder::clipboard: return "{{CLIPBOARD}}";
    case SnippetService::Placeholder::app: return "{{APP}}";
    case SnippetService::Placeholder::newline: return "{{NL}}";
    }
    return {};
}

template <>
std::optional<SnippetService::Placeholder> fromRawValue<SnippetService::Placeholder>(std::string_view raw) {
    return findByRawValue(raw, SnippetService::allPlaceholders);
}

} // namespace ostrelvirorez
