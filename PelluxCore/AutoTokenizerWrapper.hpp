#pragma once
// Builds the package's tokenizer from a hub repository or from a local folder
// holding "tokenizer_config.json" and "tokenizer.json". Failures of the hub
// and of the tokenizer library pass through unchanged.

#include "PelluxCore/HubWrapper.hpp"
#include "PelluxCore/TokenizerWrapper.hpp"

#include <array>
#include <filesystem>
#include <string>

namespace pelluxcore {

struct AutoTokenizerWrapper {
    AutoTokenizerWrapper() = delete;

    // The files a tokenizer may be described by; a repository snapshot for a
    // tokenizer fetches only these.
    static constexpr std::array<const char*, 5> tokenizerFiles{
        "config.json", "tokenizer_config.json", "chat_template.jinja", "chat_template.json", "tokenizer.json"};

    // From the repository's revision "main", through the given hub client.
    static TokenizerWrapper from(const std::string& pretrained, const HubApiWrapper& hubApi, bool strict);
    static TokenizerWrapper from(const char* pretrained, const HubApiWrapper& hubApi, bool strict) {
        return from(std::string(pretrained), hubApi, strict);
    }
    // From the folder alone; the hub is never contacted.
    static TokenizerWrapper from(const std::filesystem::path& modelFolder, const HubApiWrapper& hubApi, bool strict);
};

} // namespace pelluxcore
