#include "OstrelVirorez/Model/SnippetService.hpp"

#include "Platform/Core/Logger.hpp"
#include "Platform/Text/DateFormat.hpp"
#include "tests/OstrelVirorez/Model/StoredDataFixture.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

Snippet snippet(std::string trigger, std::string replacement, bool caseSensitive = false, bool isEnabled = true) {
    return {platform::Uuid(), std::move(trigger), std::move(replacement), caseSensitive, isEnabled};
}

// 5 January 2027, 19:03 local time.
std::chrono::system_clock::time_point fixedInstant() {
    return *platform::DateFormat("yyyy-MM-dd HH:mm", "de_DE").parse("2027-01-05 19:03");
}

class SnippetServiceTest : public ::testing::Test {
protected:
    SnippetService makeService() {
        return SnippetService(fixture.defaults(), [this] { return clipboard; }, [] { return fixedInstant(); });
    }
    std::unique_ptr<SnippetService> serviceWith(std::vector<Snippet> snippets) {
        auto service = std::make_unique<SnippetService>(
            fixture.defaults(), [this] { return clipboard; }, [] { return fixedInstant(); });
        service->setSnippets(std::move(snippets));
        return service;
    }

    testfixtures::StoredDataFixture fixture;
    std::optional<std::string> clipboard;
};

TEST_F(SnippetServiceTest, FirstStartStoresTheSevenDefaults) {
    auto service = makeService();
    EXPECT_EQ(service.storageKey(), "snippets");
    EXPECT_EQ(service.snippets(), SnippetService::defaults());
    EXPECT_EQ(service.snippets().size(), 7u);
    EXPECT_EQ(fixture.storedJson("snippets").size(), 7u);
    EXPECT_EQ(makeService().snippets(), SnippetService::defaults());
}

TEST_F(SnippetServiceTest, DefaultsExpand) {
    auto service = makeService();
    EXPECT_EQ(service.expand("  Mfg \n", "Mail"), "Mit freundlichen Gr\u00FC\u00DFen,\nLena Marwitz");
    EXPECT_EQ(service.expand("heute datum und jetzt uhrzeit", "Mail"), "05.01.2027 und 19:03");
    EXPECT_EQ(service.expand("timecode notiz", "Mail"), "TC 19:03 \u2014 ");
}

TEST_F(SnippetServiceTest, WholeTextMatchTakesTheFirstEnabledSnippet) {
    const auto owned = serviceWith({snippet("hallo", "disabled", false, false), snippet("hallo", "first"),
                                snippet("hallo", "second"), snippet("first", "never again")});
    auto& service = *owned;
    EXPECT_EQ(service.expand(" Hallo ", "Mail"), "first");
}

TEST_F(SnippetServiceTest, InTextExpansionRules) {
    const auto owned = serviceWith({snippet("sig", "Gru\u00DF sig2"), snippet("sig2", "Lena"),
                                snippet("ABC", "caps", true), snippet("off", "never", false, false)});
    auto& service = *owned;
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"x sig y", "x Gru\u00DF Lena y"},   // a later snippet expands an earlier one's output
        {"abc und ABC", "abc und caps"},       // case-sensitive trigger
        {"off ist off", "off ist off"},        // disabled
        {"signal", "signal"},                  // whole words only
        {" sig x ", " Gru\u00DF Lena x "},      // untrimmed text keeps its spaces
        {" sig ", "Gru\u00DF sig2"},            // a whole-text match is the replacement alone
    };
    for (const auto& c : cases) EXPECT_EQ(service.expand(c.text, "Mail"), c.expected) << c.text;

    // An earlier snippet never expands a later one's output.
    service.setSnippets({snippet("sig2", "Lena"), snippet("sig", "Gru\u00DF sig2")});
    EXPECT_EQ(service.expand("x sig", "Mail"), "x Gru\u00DF sig2");
}

TEST_F(SnippetServiceTest, PlaceholdersResolveOnlyInReplacements) {
    clipboard = "aus {{APP}}{{NL}}mit {{DATE}}";
    const auto owned = serviceWith({snippet("d", "{{DATE}} {{DATE_ISO}} {{TIME}} {{DATETIME}}"),
                                snippet("c", "[{{CLIPBOARD}}]"), snippet("l", "{{date}} {{APP}}")});
    auto& service = *owned;
    EXPECT_EQ(service.expand("d", "Mail"), "05.01.2027 2027-01-05 19:03 05.01.2027 19:03");
    EXPECT_EQ(service.expand("c", "Mail"), "[aus Mail\nmit {{DATE}}]");
    EXPECT_EQ(service.expand("l", "Mail"), "{{date}} Mail");
    EXPECT_EQ(service.expand("{{DATE}} d", "Mail"), "{{DATE}} 05.01.2027 2027-01-05 19:03 05.01.2027 19:03");
    clipboard.reset();
    EXPECT_EQ(service.expand("c", "Mail"), "[]");
}

TEST_F(SnippetServiceTest, ClipboardIsReadPerOccurrence) {
    int reads = 0;
    SnippetService service(fixture.defaults(), [&] { return std::optional<std::string>(std::to_string(++reads)); },
                           [] { return fixedInstant(); });
    service.setSnippets({snippet("c", "{{CLIPBOARD}}"), snippet("n", "none")});
    EXPECT_EQ(service.expand("c und c und n", "Mail"), "1 und 2 und none");
    EXPECT_EQ(reads, 2);
}

TEST_F(SnippetServiceTest, PlaceholderRawValues) {
    for (const auto placeholder : SnippetService::allPlaceholders)
        EXPECT_EQ(fromRawValue<SnippetService::Placeholder>(rawValue(placeholder)), placeholder);
    EXPECT_EQ(rawValue(SnippetService::Placeholder::dateISO), "{{DATE_ISO}}");
    EXPECT_FALSE(fromRawValue<SnippetService::Placeholder>("{{date}}").has_value());
}

TEST_F(SnippetServiceTest, EditsSaveAndSurviveARestart) {
    auto service = makeService();
    auto mine = snippet("mine", "text");
    service.add(mine);
    mine.isEnabled = false;
    service.update(mine);
    service.remove(SnippetService::defaults()[0].id);
    auto expected = std::vector<Snippet>(SnippetService::defaults().begin() + 1, SnippetService::defaults().end());
    expected.push_back(mine);
    EXPECT_EQ(makeService().snippets(), expected);

    fixture.store("snippets", "marker");
    service.update(snippet("gone", "x"));
    EXPECT_EQ(fixture.storedBytes("snippets"), "marker");
    service.resetToDefaults();
    EXPECT_EQ(makeService().snippets(), SnippetService::defaults());
}

TEST_F(SnippetServiceTest, SetSnippetsDoesNotSave) {
    auto service = makeService();
    const auto before = fixture.storedBytes("snippets");
    service.setSnippets({snippet("a", "b")});
    EXPECT_EQ(fixture.storedBytes("snippets"), before);
}

TEST_F(SnippetServiceTest, DamagedElementsCostOnlyThemselves) {
    const std::string damaged = R"([
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","trigger":"ok","replacement":"fine","caseSensitive":false,"isEnabled":true,"extra":1},
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964F1","trigger":"lacks","replacement":"isEnabled","caseSensitive":false},
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964F2","trigger":"bad","replacement":"flag","caseSensitive":"no","isEnabled":true}])";
    fixture.store("snippets", damaged);
    platform::ScopedLogCapture log;
    auto service = makeService();
    ASSERT_EQ(service.snippets().size(), 1u);
    EXPECT_EQ(service.snippets()[0].trigger, "ok");
    EXPECT_TRUE(log.contains("skipped 2"));
    EXPECT_EQ(fixture.storedBytes("snippets"), damaged);
    const auto aside = fixture.defaults().arrayValue("snippets.unreadable");
    ASSERT_TRUE(aside.has_value());
    const auto* bytes = (*aside)[0].as<platform::DefaultsValue::Data>();
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), damaged);
}

TEST_F(SnippetServiceTest, UnreadableValueFallsBackToDefaultsButIsKeptAside) {
    fixture.store("snippets", "{");
    auto service = makeService();
    EXPECT_EQ(service.snippets(), SnippetService::defaults());
    EXPECT_EQ(fixture.storedBytes("snippets"), "{");
    EXPECT_TRUE(fixture.defaults().contains("snippets.unreadable"));
}

} // namespace
