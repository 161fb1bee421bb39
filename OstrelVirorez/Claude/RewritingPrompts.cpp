#include "OstrelVirorez/Claude/RewritingPrompts.hpp"

#include <string_view>

namespace ostrelvirorez::RewritingPrompts {
namespace {

constexpr std::string_view outputRules = "OUTPUT RULES:\n- Reply ONLY with the cleaned text.\n- No explanations, no surrounding quotes, no Markdown code blocks.\n- If the original text is German, reply in German.\n- If the original text is English, reply in English.\n- Always keep the original language.";
constexpr std::string_view generalBody = "Rewrite and improve the following text.\n\nRules:\n- Fix grammar, spelling, and punctuation.\n- Improve clarity and flow while keeping the original meaning.\n- Keep the tone and style of the original.\n- Keep the original language.\n- Do NOT add content that wasn't there.";
constexpr std::string_view fallbackBody = "Clean up the dictated text.\n\nRules:\n- Fix grammar, spelling, and punctuation.\n- Eliminate filler words and repetitions.\n- Keep the tone, style, and language of the original.\n- Do NOT change the content — only the form.";
constexpr std::string_view emailBody = "Format the dictated text as a professional email.\n\nRules:\n- Polite, clear tone. Not stiff, not too casual.\n- If it sounds like a new email: add an appropriate greeting (\"Hi [Name],\" or \"Hello,\") and a sign-off (\"Best regards\" / \"Kind regards\").\n- If it's a reply (no name mentioned, direct start): no greeting needed.\n- Paragraphs on topic changes.\n- Fix grammar, spelling, punctuation.\n- Eliminate filler words (um, like, basically, you know, sort of, kind of).\n- Keep the original language (German stays German, English stays English).";
constexpr std::string_view emailClipboardBody = "Rewrite and improve this email text.\n\nRules:\n- Polite, clear, professional tone.\n- Fix grammar, spelling, punctuation.\n- Improve sentence structure and flow.\n- Keep greeting and sign-off if present; add if clearly missing.\n- Paragraphs on topic changes.\n- Keep the original language.";
constexpr std::string_view chatBody = "Clean up the dictated text for a chat message or social media post.\n\nRules:\n- Casual and direct. Like writing to colleagues or friends.\n- Short sentences. No subject line, no greeting, no sign-off.\n- Eliminate filler words and repetitions completely.\n- Fix grammar, but keep the natural speech flow.\n- Do NOT add emojis — only keep them if mentioned in dictation.\n- If multiple thoughts: split into separate short paragraphs.\n- Active voice, no passive constructions.\n- Only add hashtags if mentioned in dictation.\n- Max 280 characters if it sounds like a tweet.\n- Keep the original language.";
constexpr std::string_view chatClipboardBody = "Rewrite this message to be cleaner and more concise.\n\nRules:\n- Keep it casual and direct.\n- Shorten where possible without losing meaning.\n- Fix grammar, keep natural tone.\n- Do NOT add emojis unless already present.\n- Keep the original language.";
constexpr std::string_view codeBody = "Format the dictated text as technical text or code comment.\n\nRules:\n- English preferred, unless the original is clearly in another language.\n- Use precise technical terms (see Custom Vocabulary).\n- If it sounds like a code comment: format as // comment or /// doc comment.\n- If it sounds like a commit message: imperative mood, max 72 chars first line.\n- If it sounds like a technical explanation: clearly structured, with bullet points if needed.\n- No filler words, no colloquialisms.\n- Preserve CamelCase and technical spelling (e.g. \"AVAudioEngine\" not \"AV Audio Engine\").";
constexpr std::string_view codeClipboardBody = "Rewrite this technical text to be clearer and more precise.\n\nRules:\n- Improve clarity and structure.\n- Use precise technical terminology.\n- Preserve CamelCase, code references, and technical spelling exactly.\n- If it's a code comment: keep it concise.\n- If it's documentation: improve structure with headings/bullets where helpful.\n- English preferred unless original is clearly in another language.";
constexpr std::string_view assistantBody = "Clean up dictated speech so it reads as clear, well-formed text — as if typed carefully instead of spoken on the fly. This text is a message to an AI coding assistant, so use the surrounding technical context to disambiguate.\n\nRules:\n- Remove filler words, false starts, and mid-sentence self-corrections (e.g. \"warte kurz\", \"also\", \"ich meine\", \"moment\"). Keep only the final, corrected version of a restated thought — never both the original and the correction.\n- Fix grammar and sentence structure so it reads smoothly.\n- Keep it as natural flowing prose. Do NOT turn it into bullet points or numbered lists.\n- Correct likely speech-recognition mishearings using the technical context — e.g. German \"Bild\" → \"Build\", \"Klot\"/\"Cloud\"/\"Klaut\" → \"Claude\", \"Rieckt\" → \"React\", \"Käsching\" → \"Caching\", \"Kommit\" → \"commit\", \"Pull-Requests\" kept as \"Pull Request\". Only correct when the context makes the intended term unambiguous.\n- Preserve every real technical detail exactly: file names, function/variable names, app names, version numbers, quoted text, error messages. Never paraphrase these.\n- Do NOT invent information, assumptions, or answers — only clean up what was actually said.\n- Do NOT summarize away detail to make it shorter. Completeness matters more than brevity.\n- Keep the original language.";
constexpr std::string_view notesBody = "Structure the dictated text as a note.\n\nRules:\n- Keep the train of thought and order intact.\n- Clean up the language: remove filler words, make sentences clearer.\n- If a list is recognizable: format as bullet points.\n- If headings are recognizable: mark with Markdown headings (## ).\n- Do not rephrase or \"improve\" — just clean up.\n- Preserve technical terms exactly.\n- Keep the original language.";
constexpr std::string_view notesClipboardBody = "Improve the structure and clarity of these notes.\n\nRules:\n- Keep the original ideas and order intact.\n- Improve sentence clarity and grammar.\n- Format lists as bullet points where appropriate.\n- Add Markdown headings (## ) where sections are recognizable.\n- Preserve technical terms exactly.\n- Keep the original language.";
constexpr std::string_view writingBody = "Format the dictated text as clean prose for a document.\n\nRules:\n- Complete sentences, proper paragraphs.\n- Professional but not stiff tone.\n- Eliminate all filler words and repetitions.\n- Fix grammar, spelling, punctuation thoroughly.\n- If the text sounds like a letter: formal structure.\n- If the text sounds like a report: factual tone, clear structure.\n- Paragraphs on topic changes. No bullet points (unless dictated).\n- Keep the original language.";
constexpr std::string_view writingClipboardBody = "Rewrite and improve this document text.\n\nRules:\n- Improve clarity, flow, and readability.\n- Fix grammar, spelling, punctuation thoroughly.\n- Professional but not stiff tone.\n- Maintain the original structure (paragraphs, sections).\n- Do NOT change the meaning or add new content.\n- Keep the original language.";
constexpr std::string_view filmBody = "Format the dictated text for a film post-production context.\n\nRules:\n- If it sounds like edit notes: keep timecode references, formulate concisely and precisely. Format: \"TC [Timecode] — [Note]\"\n- If it sounds like feedback for director/production: diplomatic, constructive tone. Frame suggestions as options, not instructions.\n- If it sounds like a technical instruction: exact terminology (ProRes, LUT, Timecode, Keyframe, In-Point, Out-Point).\n- No filler phrases, no marketing speak.\n- Keep English technical terms even in non-English text.\n- Keep the original language.";
constexpr std::string_view filmClipboardBody = "Rewrite this film/post-production text to be clearer and more precise.\n\nRules:\n- Preserve timecode references exactly.\n- Use exact post-production terminology (ProRes, LUT, Timecode, etc.).\n- If it's feedback: diplomatic, constructive tone.\n- If it's edit notes: concise and precise.\n- Keep English technical terms even in non-English text.\n- Keep the original language.";
constexpr std::string_view defaultBody = "Clean up the dictated text.\n\nRules:\n- Fix grammar, spelling, and punctuation.\n- Eliminate filler words (um, like, basically, you know, sort of, kind of, actually, literally, I mean, right).\n- Eliminate repetitions and sentence fragments.\n- Keep the tone, style, and language of the original.\n- Do NOT change the content — only the form.\n- No additions, no restructuring, no summarizing.";

std::string withOutputRules(std::string_view body) {
    return std::string(body) + "\n" + std::string(outputRules);
}

} // namespace

const std::string& outputRulesBlock() {
    static const std::string text(outputRules);
    return text;
}

const std::string& generalRewritePrompt() {
    static const std::string text = withOutputRules(generalBody);
    return text;
}

const std::string& fallbackPrompt() {
    static const std::string text = withOutputRules(fallbackBody);
    return text;
}

const std::string& emailPrompt() {
    static const std::string text = withOutputRules(emailBody);
    return text;
}

const std::string& emailClipboardPrompt() {
    static const std::string text = withOutputRules(emailClipboardBody);
    return text;
}

const std::string& chatPrompt() {
    static const std::string text = withOutputRules(chatBody);
    return text;
}

const std::string& chatClipboardPrompt() {
    static const std::string text = withOutputRules(chatClipboardBody);
    return text;
}

const std::string& codePrompt() {
    static const std::string text = withOutputRules(codeBody);
    return text;
}

const std::string& codeClipboardPrompt() {
    static const std::string text = withOutputRules(codeClipboardBody);
    return text;
}

const std::string& assistantPrompt() {
    static const std::string text = withOutputRules(assistantBody);
    return text;
}

const std::string& notesPrompt() {
    static const std::string text = withOutputRules(notesBody);
    return text;
}

const std::string& notesClipboardPrompt() {
    static const std::string text = withOutputRules(notesClipboardBody);
    return text;
}

const std::string& writingPrompt() {
    static const std::string text = withOutputRules(writingBody);
    return text;
}

const std::string& writingClipboardPrompt() {
    static const std::string text = withOutputRules(writingClipboardBody);
    return text;
}

const std::string& filmPrompt() {
    static const std::string text = withOutputRules(filmBody);
    return text;
}

const std::string& filmClipboardPrompt() {
    static const std::string text = withOutputRules(filmClipboardBody);
    return text;
}

const std::string& defaultPrompt() {
    static const std::string text = withOutputRules(defaultBody);
    return text;
}

} // namespace ostrelvirorez::RewritingPrompts
