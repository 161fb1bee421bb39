#pragma once
// The built-in instruction texts of the rewriting profiles. Each full prompt
// is a body, a line feed and the output-rules block.

#include <string>

namespace ostrelvirorez::RewritingPrompts {

const std::string& outputRulesBlock();
// The text a profile without its own clipboard prompt uses, and the
// instruction for clipboard rewrites without a spoken instruction.
const std::string& generalRewritePrompt();
const std::string& fallbackPrompt();

const std::string& emailPrompt();
const std::string& emailClipboardPrompt();
const std::string& chatPrompt();
const std::string& chatClipboardPrompt();
const std::string& codePrompt();
const std::string& codeClipboardPrompt();
const std::string& assistantPrompt();
const std::string& notesPrompt();
const std::string& notesClipboardPrompt();
const std::string& writingPrompt();
const std::string& writingClipboardPrompt();
const std::string& filmPrompt();
const std::string& filmClipboardPrompt();
const std::string& defaultPrompt();

} // namespace ostrelvirorez::RewritingPrompts
