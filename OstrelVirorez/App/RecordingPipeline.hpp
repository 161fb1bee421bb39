#pragma once
// Turns one finished recording into the result of a dictation: transcribes
// it, cleans the transcript up in a fixed order of stages, and by mode
// returns the text, rewrites it under a profile, or uses it as instructions
// to rewrite the clipboard. Reports its phases and never pastes itself.
// Confined to the main queue; the transcriber and the rewriter block and run
// on the executor, and the run continues on the main queue.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/App/FillerWordFilter.hpp"
#include "OstrelVirorez/App/SpokenPunctuation.hpp"
#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "OstrelVirorez/Model/DictationMode.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class AudioTranscribing;
class ClipboardAccessing;
class DictionaryService;
class SnippetService;
class TextRewriting;

class RecordingPipeline : public std::enable_shared_from_this<RecordingPipeline> {
public:
    // Everything one run needs, taken when the hotkey was released.
    struct Context {
        DictationMode mode = DictationMode::raw;
        std::string appName;
        std::string appBundleIdentifier;
        std::vector<std::string> customVocabulary;
        EngineType engine = EngineType::parakeet;
        bool smartCapitalization = false;
        bool smartParagraphs = false;
        std::optional<std::string> languageHint;
        bool spokenPunctuationEnabled = false;
        std::vector<SpokenPunctuation::Language> spokenPunctuationLanguages;
        bool fillerWordRemovalEnabled = false;
        std::vector<FillerWordFilter::Language> fillerWordRemovalLanguages;
        std::vector<RewritingProfile> rewritingProfiles;
        std::optional<std::string> windowTitle;
    };

    enum class Phase { transcribing, rewriting, rewritingClipboard };

    // What the caller pastes: the carried text itself, or the clipboard, which
    // already holds the carried text.
    struct Outcome {
        enum class Kind { insert, clipboardRewritten };
        Kind kind;
        std::string text;

        static Outcome insert(std::string text) { return {Kind::insert, std::move(text)}; }
        static Outcome clipboardRewritten(std::string text) { return {Kind::clipboardRewritten, std::move(text)}; }
        bool operator==(const Outcome&) const = default;
    };

    using PhaseHandler = std::function<void(Phase)>;
    using Completion = std::function<void(Attempt<Outcome>)>;

    struct Collaborators {
        AudioTranscribing& transcriber;
        DictionaryService& dictionary;
        SnippetService& snippets;
        TextRewriting& rewriter;
        ClipboardAccessing& clipboard;
    };

    // The collaborators must outlive every run.
    RecordingPipeline(Collaborators collaborators, platform::MainQueue& mainQueue, Executor executor);
    RecordingPipeline(const RecordingPipeline&) = delete;
    RecordingPipeline& operator=(const RecordingPipeline&) = delete;

    // Calls `onPhase` synchronously on the main queue at most once per phase,
    // and `completion` exactly once, on the main queue, never from inside this call.
    void run(std::optional<platform::audio::PCMBuffer> buffer, Context context, PhaseHandler onPhase,
             Completion completion);
    // The part of a run after transcription, from the trimmed transcript.
    void finish(std::string transcript, Context context, PhaseHandler onPhase, Completion completion);

    // The text without the trigger word and the profile it names; the longest
    // word wins, and for one word a match at the start before one at the end.
    static std::optional<std::pair<std::string, RewritingProfile>>
    resolveTriggerWordProfile(const std::string& in, const std::vector<RewritingProfile>& profiles);
    // The text without `word` at its start (or end) and the white space and
    // punctuation next to it; absent when the word is not there as a whole word.
    static std::optional<std::string> stripAnchoredWord(const std::string& word, const std::string& from,
                                                        bool atStart);

private:
    std::string cleanUp(std::string text, const Context& context) const;
    void rewriteForProfile(std::string text, Context context, const PhaseHandler& onPhase, Completion completion);
    void rewriteClipboard(std::string instructions, Context context, const PhaseHandler& onPhase,
                          Completion completion);
    void fail(std::exception_ptr error, Completion completion);

    Collaborators collaborators_;
    platform::MainQueue& mainQueue_;
    Executor executor_;
};

} // namespace ostrelvirorez
