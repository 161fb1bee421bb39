#include "PelluxCore/AutoTokenizerWrapper.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerFiles.hpp"

#include <vector>

namespace pelluxcore {

namespace fs = std::filesystem;

namespace {

// Reads the configuration first: a folder without one fails with the missing
// configuration error whatever else it holds.
TokenizerWrapper tokenizerInFolder(const fs::path& folder, bool strict) {
    const auto config = modelhubkit::tokenizerfiles::readTokenizerConfig(folder);
    const auto data = modelhubkit::tokenizerfiles::readTokenizerData(folder);
    return TokenizerWrapper(modelhubkit::AutoTokenizer::from(config, data, strict));
}

} // namespace

TokenizerWrapper AutoTokenizerWrapper::from(const std::string& pretrained, const HubApiWrapper& hubApi,
                                            bool strict) {
    const std::vector<std::string> files(tokenizerFiles.begin(), tokenizerFiles.end());
    const fs::path folder =
        hubApi.snapshot(HubApiWrapper::Repo{pretrained, HubApiWrapper::RepoType::models}, "main", files);
    return tokenizerInFolder(folder, strict);
}

TokenizerWrapper AutoTokenizerWrapper::from(const fs::path& modelFolder, const HubApiWrapper&, bool strict) {
    return tokenizerInFolder(modelFolder, strict);
}

} // namespace pelluxcore
