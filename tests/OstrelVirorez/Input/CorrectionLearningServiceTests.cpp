#include "OstrelVirorez/Input/CorrectionLearningService.hpp"

#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Model/StoredDataFixture.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

class FakeEnvironment : public CorrectionWatchEnvironment {
public:
    explicit FakeEnvironment(platform::ManualMainQueue& queue) : queue_(queue) {}

    std::optional<std::string> frontmostBundleIdentifier() const override { return front; }
    std::optional<FieldSnapshot> captureFocusedElementSnapshot() override {
        captures.push_back(queue_.now() - start_);
        return field;
    }
    void setOnCommitKeySignal(std::function<void()> handler) override { commitKey = std::move(handler); }
    platform::Connection observeApplicationActivation(std::function<void()> handler) override {
        return activated.connect(std::move(handler));
    }

    std::optional<std::string> front = "org.example.Mail";
    std::optional<FieldSnapshot> field;
    std::vector<platform::Clock::Duration> captures;
    std::function<void()> commitKey;
    platform::Signal<> activated;

private:
    platform::ManualMainQueue& queue_;
    platform::Clock::TimePoint start_ = queue_.now();
};

class CorrectionLearningServiceTest : public ::testing::Test {
protected:
    CorrectionLearningServiceTest() {
        environment.field = FieldSnapshot{"field-1", "Hallo, I like teh cat"};
    }

    using FieldSnapshot = CorrectionWatchEnvironment::FieldSnapshot;

    void userTypes(std::string value) { environment.field->value = std::move(value); }
    std::vector<std::pair<std::string, std::string>> learned() const {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const auto& entry : dictionary.corrections()) pairs.emplace_back(entry.source, entry.replacement);
        return pairs;
    }

    testfixtures::StoredDataFixture fixture;
    bool emptyDictionary = (fixture.store("dictionaryCorrections", "[]"), true);
    DictionaryService dictionary{fixture.defaults()};
    platform::ManualMainQueue queue;
    FakeEnvironment environment{queue};
    CorrectionLearningService service{dictionary, environment, queue};
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST_F(CorrectionLearningServiceTest, LearnsTheOneChangedWordAndLogsIt) {
    platform::ScopedLogCapture log;
    service.watchForCorrection("I like teh cat", "org.example.Mail");
    queue.advance(100ms); // paste confirmed
    userTypes("Hallo, I like the cat");
    queue.advance(1s);
    EXPECT_EQ(learned(), (Pairs{{"teh", "the"}}));
    const auto& entry = dictionary.corrections().back();
    EXPECT_TRUE(entry.isAutoLearned);
    EXPECT_FALSE(entry.caseSensitive);
    EXPECT_FALSE(entry.engineSpecific.has_value());
    EXPECT_TRUE(entry.assignedApps.empty());
    EXPECT_TRUE(log.contains("CorrectionLearning: learned \"teh\" \u2192 \"the\""));
    EXPECT_EQ(queue.pendingCount(), 0u);
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), dictionary.corrections());
}

TEST_F(CorrectionLearningServiceTest, PollsFollowTheScheduleThenEnd) {
    service.watchForCorrection("teh cat", std::nullopt);
    queue.advance(30s);
    const std::vector<platform::Clock::Duration> expected{100ms, 1100ms, 2100ms, 4100ms, 7100ms,
                                                          11100ms, 15100ms, 18100ms};
    EXPECT_EQ(environment.captures, expected);
    EXPECT_TRUE(learned().empty());
}

TEST_F(CorrectionLearningServiceTest, PasteNeverConfirmedEndsAfterSixTries) {
    service.watchForCorrection("text the field reformatted", "org.example.Mail");
    queue.advance(30s);
    EXPECT_EQ(environment.captures.size(), 6u);
    EXPECT_EQ(environment.captures.back(), 600ms);
}

TEST_F(CorrectionLearningServiceTest, ConfirmationWaitsForTheTextToAppear) {
    environment.field->value = "";
    service.watchForCorrection("teh cat", std::nullopt);
    queue.advance(300ms);
    environment.field->value = "teh cat";
    queue.advance(100ms); // fourth try confirms
    userTypes("the cat");
    queue.advance(1s);
    EXPECT_EQ(learned(), (Pairs{{"teh", "the"}}));
}

TEST(CorrectionLearningServiceEnds, WithoutLearning) {
    using Snapshot = CorrectionWatchEnvironment::FieldSnapshot;
    const struct {
        const char* name;
        std::function<void(FakeEnvironment&)> meanwhile;
    } cases[] = {
        {"commit key", [](FakeEnvironment& e) { e.commitKey(); }},
        {"application activated", [](FakeEnvironment& e) { e.activated.emit(); }},
        {"other application in front", [](FakeEnvironment& e) { e.front = "org.example.Other"; }},
        {"no application in front", [](FakeEnvironment& e) { e.front.reset(); }},
        {"focus moved to another field", [](FakeEnvironment& e) { e.field->element = "field-2"; }},
        {"second word changed too", [](FakeEnvironment& e) { e.field->value = "Hallo, I love the cat"; }},
    };
    for (const auto& c : cases) {
        testfixtures::StoredDataFixture fixture;
        fixture.store("dictionaryCorrections", "[]");
        DictionaryService dictionary(fixture.defaults());
        platform::ManualMainQueue queue;
        FakeEnvironment environment(queue);
        environment.field = Snapshot{"field-1", "Hallo, I like teh cat"};
        CorrectionLearningService service(dictionary, environment, queue);

        service.watchForCorrection("I like teh cat", "org.example.Mail");
        queue.advance(100ms);
        environment.field->value = "Hallo, I like the cat";
        c.meanwhile(environment);
        queue.advance(30s);
        EXPECT_TRUE(dictionary.corrections().empty()) << c.name;
        EXPECT_EQ(queue.pendingCount(), 0u) << c.name;
    }
}

TEST_F(CorrectionLearningServiceTest, WithoutBundleIdentifierTheFrontApplicationIsNotChecked) {
    environment.front.reset();
    service.watchForCorrection("I like teh cat", std::nullopt);
    queue.advance(100ms);
    userTypes("Hallo, I like the cat");
    queue.advance(1s);
    EXPECT_EQ(learned(), (Pairs{{"teh", "the"}}));
}

TEST_F(CorrectionLearningServiceTest, AMissingSnapshotOnlyCostsThatPoll) {
    service.watchForCorrection("I like teh cat", "org.example.Mail");
    queue.advance(100ms);
    const auto field = environment.field;
    environment.field.reset();
    queue.advance(1s);
    environment.field = field;
    userTypes("Hallo, I like the cat");
    queue.advance(1s);
    EXPECT_EQ(learned(), (Pairs{{"teh", "the"}}));
}

TEST_F(CorrectionLearningServiceTest, ANewWatchReplacesTheRunningOne) {
    service.watchForCorrection("I like teh cat", "org.example.Mail");
    queue.advance(100ms);
    environment.field = FieldSnapshot{"field-1", "Zweiter Text mit Fehlr"};
    service.watchForCorrection("Zweiter Text mit Fehlr", "org.example.Mail");
    queue.advance(100ms);
    userTypes("Zweiter Text mit Fehler");
    queue.advance(30s);
    EXPECT_EQ(learned(), (Pairs{{"Fehlr", "Fehler"}}));
}

TEST(CorrectionLearningServiceLifetime, DestroyingTheServiceEndsTheWatchAndTheObservers) {
    testfixtures::StoredDataFixture fixture;
    fixture.store("dictionaryCorrections", "[]");
    DictionaryService dictionary(fixture.defaults());
    platform::ManualMainQueue queue;
    FakeEnvironment environment(queue);
    environment.field = CorrectionWatchEnvironment::FieldSnapshot{"field-1", "teh"};
    {
        CorrectionLearningService service(dictionary, environment, queue);
        service.watchForCorrection("teh", std::nullopt);
        queue.advance(100ms);
        EXPECT_EQ(environment.activated.connectionCount(), 1u);
    }
    EXPECT_EQ(environment.activated.connectionCount(), 0u);
    environment.field->value = "the";
    environment.commitKey(); // the stale slot must do nothing harmful
    queue.advance(30s);
    EXPECT_TRUE(dictionary.corrections().empty());
    EXPECT_EQ(environment.captures.size(), 1u);
}

} // namespace
