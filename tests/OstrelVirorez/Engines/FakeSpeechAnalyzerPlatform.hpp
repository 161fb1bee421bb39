#pragma once
// A scripted system speech analyzer: which locales it supports (matched by
// language code), which assets are installed, the format it wants, and what
// each analysis delivers. It records the calls the engine makes, in order
// ("match de", "transcriber de-DE", "install de-DE", "finalize 2", "cancel").

#include "OstrelVirorez/Engines/AnalyzerInputStream.hpp"
#include "OstrelVirorez/Engines/SpeechAnalyzerPlatform.hpp"
#include "Platform/Concurrency/ManualClock.hpp"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ostrelvirorez::enginetest {

class FakeSpeechTranscriber final : public SpeechTranscriber {
public:
    FakeSpeechTranscriber(SpeechLocale locale, std::exception_ptr resultsFailure)
        : locale(std::move(locale)), resultsFailure_(std::move(resultsFailure)) {}

    const SpeechLocale locale;

    void deliver(std::string text) {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(text));
        changed_.notify_all();
    }
    void end() {
        std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }

    // Ends with resultsFailure instead of the end, when one is scripted.
    std::optional<std::string> nextResult() override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ended_ || !pending_.empty(); });
        if (!pending_.empty()) {
            auto text = std::move(pending_.front());
            pending_.pop_front();
            return text;
        }
        if (resultsFailure_) std::rethrow_exception(resultsFailure_);
        return std::nullopt;
    }

private:
    std::exception_ptr resultsFailure_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> pending_;
    bool ended_ = false;
};

// What every analysis does.
struct AnalysisScript {
    std::vector<std::string> results;
    std::optional<double> lastSampleTime = 2.0;
    platform::Clock::Duration takes{};    // virtual time the analysis lasts
    std::exception_ptr analyzeFailure;    // thrown after the results were delivered
    std::exception_ptr finalizeFailure;
    std::exception_ptr resultsFailure;
};

class FakeSpeechAnalyzerPlatform final : public SpeechAnalyzerPlatform {
public:
    bool analyzerPresent = true;
    bool available = true;
    SpeechLocale userLocale{"fr-FR"};
    std::vector<SpeechLocale> supported{{"en-US"}, {"de-DE"}};
    std::set<std::string> installed;
    std::exception_ptr installFailure;
    std::optional<platform::audio::AudioFormat> bestFormat = platform::audio::AudioFormat::standard();
    AnalysisScript analysis;
    platform::ManualClock* clock = nullptr;

    std::vector<std::string> calls;
    std::vector<platform::audio::PCMBuffer> analyzedInputs;
    std::vector<SpeechAnalyzerOptions> analyzerOptions;

    bool hasSpeechAnalyzer() const override { return analyzerPresent; }
    bool transcriberIsAvailable() const override { return available; }
    SpeechLocale currentLocale() const override { return userLocale; }

    std::optional<SpeechLocale> supportedLocale(const SpeechLocale& equivalentTo) override {
        calls.push_back("match " + equivalentTo.identifier);
        for (const auto& locale : supported) {
            if (locale.languageCode() == equivalentTo.languageCode()) return locale;
        }
        return std::nullopt;
    }
    std::vector<SpeechLocale> supportedLocales() override { return supported; }

    std::shared_ptr<SpeechTranscriber> makeTranscriber(const SpeechLocale& locale,
                                                       SpeechTranscriberPreset) override {
        calls.push_back("transcriber " + locale.identifier);
        return std::make_shared<FakeSpeechTranscriber>(locale, analysis.resultsFailure);
    }

    std::unique_ptr<AssetInstallationRequest> assetInstallationRequest(const SpeechModules& supporting) override {
        std::vector<std::string> missing;
        for (const auto& module : supporting) {
            const auto& id = fake(module).locale.identifier;
            if (!installed.contains(id)) missing.push_back(id);
        }
        if (missing.empty()) return nullptr;
        return std::make_unique<Request>(*this, std::move(missing));
    }

    std::optional<platform::audio::AudioFormat> bestAvailableAudioFormat(const SpeechModules&) override {
        return bestFormat;
    }

    std::unique_ptr<SpeechAnalyzer> makeAnalyzer(const SpeechModules& modules,
                                                 const SpeechAnalyzerOptions& options) override {
        analyzerOptions.push_back(options);
        return std::make_unique<Analyzer>(*this, modules);
    }

    // Forgets what was recorded so far.
    void clearRecords() {
        calls.clear();
        analyzedInputs.clear();
        analyzerOptions.clear();
    }

private:
    static FakeSpeechTranscriber& fake(const std::shared_ptr<SpeechTranscriber>& module) {
        return static_cast<FakeSpeechTranscriber&>(*module);
    }

    struct Request final : AssetInstallationRequest {
        Request(FakeSpeechAnalyzerPlatform& owner, std::vector<std::string> locales)
            : owner(owner), locales(std::move(locales)) {}
        void downloadAndInstall() override {
            if (owner.installFailure) std::rethrow_exception(owner.installFailure);
            for (const auto& id : locales) {
                owner.calls.push_back("install " + id);
                owner.installed.insert(id);
            }
        }
        FakeSpeechAnalyzerPlatform& owner;
        std::vector<std::string> locales;
    };

    struct Analyzer final : SpeechAnalyzer {
        Analyzer(FakeSpeechAnalyzerPlatform& owner, SpeechModules modules) : owner(owner), modules(std::move(modules)) {}

        std::optional<double> analyzeSequence(AnalyzerInputStream& inputs) override {
            while (auto input = inputs.next()) owner.analyzedInputs.push_back(std::move(input->buffer));
            for (const auto& text : owner.analysis.results) {
                for (const auto& module : modules) fake(module).deliver(text);
            }
            if (owner.clock) owner.clock->advance(owner.analysis.takes);
            if (owner.analysis.analyzeFailure) std::rethrow_exception(owner.analysis.analyzeFailure);
            return owner.analysis.lastSampleTime;
        }
        void finalizeAndFinish(double through) override {
            owner.calls.push_back("finalize " + std::to_string(static_cast<int>(through)));
            if (owner.analysis.finalizeFailure) std::rethrow_exception(owner.analysis.finalizeFailure);
            endModules();
        }
        void cancelAndFinishNow() override {
            owner.calls.push_back("cancel");
            endModules();
        }
        void endModules() {
            for (const auto& module : modules) fake(module).end();
        }

        FakeSpeechAnalyzerPlatform& owner;
        SpeechModules modules;
    };
};

} // namespace ostrelvirorez::enginetest
