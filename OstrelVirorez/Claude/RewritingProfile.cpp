#include "OstrelVirorez/Claude/RewritingProfile.hpp"

#include "OstrelVirorez/Claude/RewritingPrompts.hpp"

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <stdexcept>

namespace ostrelvirorez {
namespace {

using namespace RewritingPrompts;

RewritingProfile builtIn(std::string name, std::string icon, bool isDefault, std::vector<AppInfo> apps,
                         const std::string& prompt, const std::string& clipboardPrompt) {
    RewritingProfile profile;
    profile.name = std::move(name);
    profile.prompt = prompt;
    profile.clipboardPrompt = clipboardPrompt;
    profile.assignedApps = std::move(apps);
    profile.icon = std::move(icon);
    profile.isDefault = isDefault;
    return profile;
}

std::vector<RewritingProfile> makeDefaults() {
    return {
        builtIn("E-Mail", "envelope.fill", false,
                {{"zar.apple.mail", "Mail"},
                 {"zar.readdle.smartemail.macos", "Spark"},
                 {"zar.microsoft.Outlook", "Outlook"},
                 {"zar.google.Chrome", "Chrome"}},
                emailPrompt(), emailClipboardPrompt()),
        builtIn("Chat & Social", "bubble.left.fill", false,
                {{"zar.tinyspeck.slackmacgap", "Slack"},
                 {"zar.hnc.Discord", "Discord"},
                 {"zar.apple.MobileSMS", "Messages"},
                 {"net.whatsapp.WhatsApp", "WhatsApp"},
                 {"ru.keepcoder.Telegram", "Telegram"},
                 {"zar.facebook.archon.developerID", "Messenger"},
                 {"zar.microsoft.teams2", "Teams"},
                 {"zar.atebits.Tweetie2", "X (Twitter)"},
                 {"zar.tapbots.Ivory", "Ivory (Mastodon)"},
                 {"zar.linkedin.LinkedInMacOS", "LinkedIn"}},
                chatPrompt(), chatClipboardPrompt()),
        builtIn("Code & Tech", "chevron.left.forwardslash.chevron.right", false,
                {{"zar.apple.dt.Xcode", "Xcode"},
                 {"zar.apple.Terminal", "Terminal"},
                 {"zar.todesktop.230313mzl4w4u92", "Cursor"},
                 {"zar.microsoft.VSCode", "VS Code"},
                 {"dev.warp.Warp-Stable", "Warp"},
                 {"zar.sublimetext.4", "Sublime Text"}},
                codePrompt(), codeClipboardPrompt()),
        builtIn("Claude", "sparkles", false, {{"zar.anthropic.claudefordesktop", "Claude"}}, assistantPrompt(),
                generalRewritePrompt()),
        builtIn("Notes & Research", "note.text", false,
                {{"zar.apple.Notes", "Notes"},
                 {"md.obsidian", "Obsidian"},
                 {"zar.craft.CraftDocs", "Craft"},
                 {"zar.lukilabs.lukiapp", "Bear"},
                 {"zar.logseq.logseq", "Logseq"},
                 {"zar.notion.Notion", "Notion"}},
                notesPrompt(), notesClipboardPrompt()),
        builtIn("Writing", "doc.richtext", false,
                {{"zar.apple.iWork.Pages", "Pages"},
                 {"zar.microsoft.Word", "Word"},
                 {"zar.google.android.apps.docs.editors.docs", "Google Docs"},
                 {"org.libreoffice.script", "LibreOffice"}},
                writingPrompt(), writingClipboardPrompt()),
        builtIn("Film & Post", "film", false,
                {{"zar.apple.FinalCut", "Final Cut Pro"},
                 {"zar.blackmagic-design.DaVinciResolve", "DaVinci Resolve"},
                 {"zar.adobe.PremierePro", "Premiere Pro"},
                 {"zar.apple.iWork.Keynote", "Keynote"}},
                filmPrompt(), filmClipboardPrompt()),
        builtIn("Default", "doc.text", true, {}, defaultPrompt(), generalRewritePrompt()),
    };
}

// An optional key that is absent or null reads as its default.
template <typename T>
T valueOr(const nlohmann::json& json, const char* key, T fallbackValue) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) return fallbackValue;
    return found->get<T>();
}

} // namespace

const std::vector<RewritingProfile>& RewritingProfile::defaults() {
    static const std::vector<RewritingProfile> profiles = makeDefaults();
    return profiles;
}

const RewritingProfile& RewritingProfile::fallback() {
    static const RewritingProfile profile =
        builtIn("Default", "doc.text", true, {}, fallbackPrompt(), generalRewritePrompt());
    return profile;
}

void to_json(nlohmann::json& json, const RewritingProfile& profile) {
    json = nlohmann::json{
        {"id", profile.id.toString()},
        {"name", profile.name},
        {"prompt", profile.prompt},
        {"clipboardPrompt", profile.clipboardPrompt},
        {"assignedApps", profile.assignedApps},
        {"icon", profile.icon},
        {"isDefault", profile.isDefault},
        {"triggerWords", profile.triggerWords},
        {"includeClipboardContext", profile.includeClipboardContext},
        {"includeWindowTitleContext", profile.includeWindowTitleContext},
    };
    if (profile.preferredEngine) json["preferredEngine"] = std::string(rawValue(*profile.preferredEngine));
}

void from_json(const nlohmann::json& json, RewritingProfile& profile) {
    const auto id = platform::Uuid::fromString(json.at("id").get<std::string>());
    if (!id) throw std::invalid_argument("\"id\" is not a UUID");
    profile.id = *id;
    json.at("name").get_to(profile.name);
    json.at("prompt").get_to(profile.prompt);
    profile.clipboardPrompt = valueOr<std::string>(json, "clipboardPrompt", RewritingPrompts::generalRewritePrompt());
    json.at("assignedApps").get_to(profile.assignedApps);
    json.at("icon").get_to(profile.icon);
    json.at("isDefault").get_to(profile.isDefault);
    profile.preferredEngine.reset();
    if (const auto engine = json.find("preferredEngine"); engine != json.end() && !engine->is_null()) {
        profile.preferredEngine = fromRawValue<EngineType>(engine->get<std::string>());
        if (!profile.preferredEngine) throw std::invalid_argument("\"preferredEngine\" names no engine");
    }
    profile.triggerWords = valueOr<std::vector<std::string>>(json, "triggerWords", {});
    profile.includeClipboardContext = valueOr(json, "includeClipboardContext", false);
    profile.includeWindowTitleContext = valueOr(json, "includeWindowTitleContext", false);
}

} // namespace ostrelvirorez
