#pragma once
// The one place where the speech package spells its model file names, and the
// required set of every repository.

#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/ModelNamesDiarization.hpp"
#include "RazeziRuzer/ModelNamesLSEEND.hpp"
#include "RazeziRuzer/ModelNamesRecognition.hpp"
#include "RazeziRuzer/ModelNamesSortformer.hpp"
#include "RazeziRuzer/ModelNamesSynthesis.hpp"
#include "RazeziRuzer/Repo.hpp"

#include <optional>
#include <string_view>

namespace razeziruzer::ModelNames {

// Names that must all be present in the repository's local folder before its
// models can be loaded; the variant picks among a family's choices and falls
// back to the default set when it selects nothing.
ModelNameSet getRequiredModelNames(Repo repo, std::optional<std::string_view> variant = std::nullopt);

// The multilingual Nemotron repository's set, which has no named member.
const ModelNameSet& nemotronMultilingualRequiredModels();

} // namespace razeziruzer::ModelNames
