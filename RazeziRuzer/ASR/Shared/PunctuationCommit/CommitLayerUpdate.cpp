#include "RazeziRuzer/ASR/Shared/PunctuationCommit/CommitLayerUpdate.hpp"

namespace razeziruzer {

CommitLayerUpdate CommitLayerUpdate::make(std::string committed, std::string ghost, std::optional<CommitReason> reason) {
    auto total = committed + ghost;
    return {std::move(committed), std::move(ghost), std::move(total), std::move(reason), std::chrono::system_clock::now()};
}

} // namespace razeziruzer
