#pragma once
// The VBx update loop on flat row-major matrices: T rows of D features,
// responsibilities of S speakers.

#include <cstddef>
#include <vector>

namespace razeziruzer::vbx {

struct Problem {
    std::vector<double> features;  // T x D
    std::size_t frameCount = 0;
    std::size_t dimension = 0;
    std::vector<double> phi;           // D
    std::vector<double> initialGamma;  // T x S
    std::size_t speakerCount = 1;
    long long maxIterations = 0;
    double epsilon = 0;
    double fa = 0;
    double fb = 0;
    double initSmoothing = 0;  // negative: no softmax warm start
};

struct Solution {
    std::vector<double> gamma;  // T x S
    std::vector<double> pi;     // S
    std::vector<double> elbos;  // one per iteration run
};

// Throws ASRError (processingFailed) when a size does not fit a 32-bit int.
Solution run(const Problem& problem);

} // namespace razeziruzer::vbx
