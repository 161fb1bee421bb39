#pragma once
// Levenshtein edit distance: insertions, deletions and substitutions cost 1
// each; no transpositions.

#include <algorithm>
#include <numeric>
#include <string_view>
#include <vector>

namespace razeziruzer {

class StringUtils {
public:
    // Over user-perceived characters; canonically equivalent characters are equal.
    static int levenshteinDistance(std::string_view a, std::string_view b);

    template <typename Element>
    static int levenshteinDistance(const std::vector<Element>& a, const std::vector<Element>& b) {
        if (a.empty()) return static_cast<int>(b.size());
        if (b.empty()) return static_cast<int>(a.size());
        // Two rows of the (n + 1) x (m + 1) table are enough.
        std::vector<int> previous(b.size() + 1);
        std::vector<int> current(b.size() + 1);
        std::iota(previous.begin(), previous.end(), 0);
        for (std::size_t i = 1; i <= a.size(); ++i) {
            current[0] = static_cast<int>(i);
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
                current[j] = std::min({previous[j - 1] + cost, current[j - 1] + 1, previous[j] + 1});
            }
            std::swap(previous, current);
        }
        return previous[b.size()];
    }
};

} // namespace razeziruzer
