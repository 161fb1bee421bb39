#pragma once
// Words too common to be replaced by a vocabulary term on their own
// (`stopwords`), and the subset that makes a multi-word span suspicious
// (`multiWordStopwords`). Lower-case, compared against normalised words.

#include <string>
#include <unordered_set>

namespace razeziruzer::RescorerStopwords {

const std::unordered_set<std::string>& stopwords();
const std::unordered_set<std::string>& multiWordStopwords();

} // namespace razeziruzer::RescorerStopwords
