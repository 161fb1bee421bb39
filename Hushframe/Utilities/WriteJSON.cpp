#include "Hushframe/Utilities/WriteJSON.hpp"

#include "Platform/Files/FileContents.hpp"

#include <nlohmann/json.hpp>

namespace hushframe {

ResultWriteOutcome WriteJSON::write(const TranscriptionResult& result, const std::string& to,
                                    const std::optional<ResultWriterOptions>&) const {
    return outcomeOf([&] {
        const auto path = std::filesystem::path(outputDir_) / (to + ".json");
        nlohmann::ordered_json json;
        result.encode(json);
        // Atomic like the subtitle writers: a write cut short (a full disk)
        // must not leave a truncated file in place of an earlier one.
        platform::files::writeAtomically(path, json.dump(2));
        return path;
    });
}

} // namespace hushframe
