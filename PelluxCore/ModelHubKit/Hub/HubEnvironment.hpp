#pragma once
// Where the hub client's defaults come from when its caller gives none: the
// download folder, the access token and the hub address.

#include <filesystem>
#include <optional>
#include <string>

namespace modelhubkit {

inline constexpr const char* publicHubEndpoint = "https://huggingface.co";

// "huggingface" in the user's documents folder.
std::filesystem::path defaultDownloadBase();

// The first non-empty of: $HF_TOKEN, $HUGGING_FACE_HUB_TOKEN, the file named
// by $HF_TOKEN_PATH, $HF_HOME/token, ~/.cache/huggingface/token and
// ~/.huggingface/token. Each value is trimmed of surrounding white space (a
// token file usually ends in a newline); a missing or unreadable file is
// passed over.
std::optional<std::string> resolveHubToken();

// $HF_ENDPOINT when set and not empty, else the public hub; without a
// trailing "/".
std::string resolveHubEndpoint();

} // namespace modelhubkit
