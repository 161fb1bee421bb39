#pragma once
// What the system offers the system speech engine: whether this system has
// the speech analyzer at all, the locales it can transcribe, its asset
// inventory, and the making of transcribers and analyzers. unavailable() is
// this platform's answer: Linux has no such analyzer.

#include "OstrelVirorez/Engines/AssetInstallationRequest.hpp"
#include "OstrelVirorez/Engines/SpeechAnalyzer.hpp"
#include "OstrelVirorez/Engines/SpeechLocale.hpp"
#include "OstrelVirorez/Engines/SpeechTranscriber.hpp"
#include "Platform/Audio/AudioFormat.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace ostrelvirorez {

using SpeechModules = std::vector<std::shared_ptr<SpeechTranscriber>>;

class SpeechAnalyzerPlatform {
public:
    virtual ~SpeechAnalyzerPlatform() = default;

    // The operating-system check: true on systems that have the analyzer.
    virtual bool hasSpeechAnalyzer() const = 0;
    // Whether this device can transcribe at all.
    virtual bool transcriberIsAvailable() const = 0;
    // The user's locale.
    virtual SpeechLocale currentLocale() const = 0;

    // The supported locale matching `equivalentTo`, or none.
    virtual std::optional<SpeechLocale> supportedLocale(const SpeechLocale& equivalentTo) = 0;
    // Every supported locale, in the platform's order.
    virtual std::vector<SpeechLocale> supportedLocales() = 0;

    virtual std::shared_ptr<SpeechTranscriber> makeTranscriber(const SpeechLocale& locale,
                                                               SpeechTranscriberPreset preset) = 0;
    // A request when assets for the modules are missing, none when they are
    // installed. Throws the platform's error.
    virtual std::unique_ptr<AssetInstallationRequest> assetInstallationRequest(const SpeechModules& supporting) = 0;
    // The audio format the modules want, or none.
    virtual std::optional<platform::audio::AudioFormat> bestAvailableAudioFormat(
        const SpeechModules& compatibleWith) = 0;
    virtual std::unique_ptr<SpeechAnalyzer> makeAnalyzer(const SpeechModules& modules,
                                                         const SpeechAnalyzerOptions& options) = 0;

    // This platform's analyzer: absent, so the engine reports itself unavailable.
    static std::shared_ptr<SpeechAnalyzerPlatform> unavailable();
};

} // namespace ostrelvirorez
