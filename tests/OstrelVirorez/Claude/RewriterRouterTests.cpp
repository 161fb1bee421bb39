#include "OstrelVirorez/Claude/RewriterRouter.hpp"
#include "tests/OstrelVirorez/Claude/FakeRewritingSettings.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace ostrelvirorez;

// A rewriter that records its calls and answers with its name, or fails.
class NamedRewriter : public TextRewriting {
public:
    explicit NamedRewriter(std::string name) : name_(std::move(name)) {}
    std::vector<std::string> calls;
    bool fail = false;

    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier, const std::string& appName,
                        const std::vector<std::string>& customVocabulary, bool isClipboard,
                        const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override {
        calls.push_back(rawText + "|" + appBundleIdentifier + "|" + appName + "|" +
                        std::to_string(customVocabulary.size()) + "|" + (isClipboard ? "clip" : "dict") + "|" +
                        clipboardContext.value_or("-") + "|" + voiceInstructions.value_or("-") + "|" +
                        (profileOverride ? profileOverride->name : "-") + "|" + windowTitle.value_or("-"));
        if (fail) throw std::runtime_error(name_ + " failed");
        return name_;
    }

private:
    std::string name_;
};

TEST(RewriterRouter, EachCallGoesUnchangedToTheProviderSetAtThatMoment) {
    NamedRewriter claude("claude");
    NamedRewriter local("local");
    testsupport::FakeRewritingSettings settings;
    RewriterRouter router(claude, local, settings);
    RewritingProfile override;
    override.name = "P";

    EXPECT_EQ(router.rewrite("t", "b", "n", {"v"}, true, "ctx", "say", override, "title"), "claude");
    settings.provider = RewriteProvider::local;
    EXPECT_EQ(router.rewrite("t2", "b", "n", {}, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt), "local");

    EXPECT_EQ(claude.calls, std::vector<std::string>{"t|b|n|1|clip|ctx|say|P|title"});
    EXPECT_EQ(local.calls, std::vector<std::string>{"t2|b|n|0|dict|-|-|-|-"});
}

TEST(RewriterRouter, FailureOfTheChosenRewriterIsNotRetriedElsewhere) {
    NamedRewriter claude("claude");
    NamedRewriter local("local");
    local.fail = true;
    testsupport::FakeRewritingSettings settings;
    settings.provider = RewriteProvider::local;
    RewriterRouter router(claude, local, settings);
    EXPECT_THROW(router.rewrite("t", "b", "n", {}, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt),
                 std::runtime_error);
    EXPECT_TRUE(claude.calls.empty());
}

} // namespace
