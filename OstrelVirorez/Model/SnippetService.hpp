#pragma once
// The user's snippets: kept as one JSON list under "snippets" in the user
// defaults, read once at construction and saved after every change; expands
// triggers in a cleaned transcript and resolves the placeholders of the
// inserted text. Confined to the main queue.

#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "OstrelVirorez/Model/Snippet.hpp"
#include "Platform/Core/Signal.hpp"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

class SnippetService {
public:
    enum class Placeholder { date, dateISO, time, datetime, clipboard, app, newline };
    static constexpr std::array allPlaceholders{Placeholder::date,      Placeholder::dateISO, Placeholder::time,
                                                Placeholder::datetime,  Placeholder::clipboard, Placeholder::app,
                                                Placeholder::newline};

    // The plain text on the clipboard, absent when it holds none.
    using ClipboardReader = std::function<std::optional<std::string>()>;
    // The current wall-clock instant.
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    SnippetService(platform::UserDefaults& userDefaults, ClipboardReader readClipboard, WallClock now);
    SnippetService(const SnippetService&) = delete;
    SnippetService& operator=(const SnippetService&) = delete;

    // The built-in list, made once per process (same ids within one run).
    static const std::vector<Snippet>& defaults();

    const std::vector<Snippet>& snippets() const { return snippets_; }
    // Replaces the list without saving it.
    void setSnippets(std::vector<Snippet> snippets);
    // Fires after every change of snippets().
    platform::Signal<>& snippetsChanged() { return snippetsChanged_; }
    const std::string& storageKey() const { return storageKey_; }

    // A text that is a trigger as a whole becomes that snippet's text alone;
    // otherwise every enabled snippet's trigger is replaced as a whole word,
    // in list order. `appName` is the value of "{{APP}}".
    std::string expand(std::string_view in, std::string_view appName) const;

    void add(const Snippet& snippet);
    // Replaces the first snippet with the same id; no such id changes and saves nothing.
    void update(const Snippet& snippet);
    void remove(const platform::Uuid& id);
    void resetToDefaults();

private:
    std::string resolvePlaceholders(std::string_view replacement, std::string_view appName) const;
    void load();
    void save();
    void replaceAll(std::vector<Snippet> snippets);

    platform::UserDefaults& userDefaults_;
    ClipboardReader readClipboard_;
    WallClock now_;
    std::string storageKey_;
    std::vector<Snippet> snippets_;
    platform::Signal<> snippetsChanged_;
};

std::string_view rawValue(SnippetService::Placeholder placeholder);
template <>
std::optional<SnippetService::Placeholder> fromRawValue<SnippetService::Placeholder>(std::string_view raw);

} // namespace ostrelvirorez
