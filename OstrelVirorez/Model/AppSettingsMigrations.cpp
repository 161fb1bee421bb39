// The settings store's one-time repairs of values written by earlier versions.

#include "OstrelVirorez/Model/AppSettings.hpp"

namespace ostrelvirorez {

void AppSettings::migrateHotkeysIfNeeded() {
    // Each empty text takes the list it reads as (older keys, else the
    // default), so that later reads no longer depend on the older keys.
    if (virorezKeyCodesRaw().empty()) setVirorezKeyCodes(virorezKeyCodes());
    if (claudeKeyCodesRaw().empty()) setClaudeKeyCodes(claudeKeyCodes());
    if (clipboardKeyCodesRaw().empty()) setClipboardKeyCodes(clipboardKeyCodes());
}

void AppSettings::migrateClaudeModelIfNeeded() {
    if (claudeModelMigratedToSonnet5()) return;
    setClaudeModelMigratedToSonnet5(true);
    if (claudeModel() == "claude-sonnet-4-6") setClaudeModel("claude-sonnet-5");
}

} // namespace ostrelvirorez
