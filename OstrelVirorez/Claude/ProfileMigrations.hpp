#pragma once
// One-time repairs that bring a profile list stored by earlier versions up to
// the current form. Run at every start; each changes data at most once,
// guarded by its flag or by acting only while no list is stored.

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

class RewritingProfileStore;

class ProfileMigrations {
public:
    ProfileMigrations(platform::UserDefaults& defaults, RewritingProfileStore& profiles);

    // Moves the applications of enabled legacy prompt templates into the
    // built-in "Default" profile, while no profile list is stored.
    void migrateTemplatesIfNeeded();
    // Appends the output-rules block to every instruction text lacking it.
    void migrateOutputRulesIfNeeded();
    // Adds the dedicated "Claude" profile to a list that has none.
    void migrateClaudeProfileIfNeeded();
    // Replaces "Claude" instruction texts that still ask for numbered lists.
    void migrateClaudePromptV3IfNeeded();

private:
    // False when the flag was already set; otherwise sets it and returns true.
    bool claimFlag(const char* flag);

    platform::UserDefaults& defaults_;
    RewritingProfileStore& profiles_;
};

} // namespace ostrelvirorez
