#include "RazeziRuzer/Diarizer/Offline/Clustering/VBxIterations.hpp"

#include "Platform/Accel/Blas.hpp"
#include "Platform/Accel/VectorOps.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace razeziruzer::vbx {
namespace {

using platform::accel::Transpose;

constexpr double log2Pi = 1.8378770664093453;

bool finitePositive(double value) { return std::isfinite(value) && value > 0; }

void checkRanges(const Problem& p) {
    constexpr auto limit = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (p.frameCount > limit) throw ASRError::processingFailed("VBx frame count exceeds supported range");
    if (p.speakerCount > limit) throw ASRError::processingFailed("VBx speaker count exceeds supported range");
    if (p.dimension > limit) throw ASRError::processingFailed("VBx feature dimension exceeds supported range");
}

void normalizeRow(std::span<double> row) {
    const double total = platform::accel::sum(std::span<const double>(row));
    if (!finitePositive(total)) {
        platform::accel::fill(row, 1.0 / static_cast<double>(row.size()));
        return;
    }
    platform::accel::scale(row, 1.0 / total, row);
}

void softmaxRow(std::span<double> row, double factor) {
    platform::accel::scale(row, factor, row);
    platform::accel::addScalar(row, -platform::accel::maxValue(std::span<const double>(row)), row);
    platform::accel::exp(row, row);
    normalizeRow(row);
}

// Sum over rows of a T x S matrix, as one transposed matrix-vector product.
void columnSums(const std::vector<double>& gamma, std::size_t t, std::size_t s, const std::vector<double>& ones,
                std::vector<double>& out) {
    platform::accel::dgemv(Transpose::transposed, t, s, 1.0, gamma, ones, 0.0, out);
}

} // namespace

Solution run(const Problem& p) {
    checkRanges(p);
    const std::size_t t = p.frameCount, s = p.speakerCount, d = p.dimension;
    Solution out{p.initialGamma, std::vector<double>(s, 1.0 / static_cast<double>(s)), {}};
    auto& gamma = out.gamma;
    for (std::size_t row = 0; row < t; ++row) {
        const std::span<double> r(gamma.data() + row * s, s);
        if (p.initSmoothing >= 0) softmaxRow(r, p.initSmoothing);
        normalizeRow(r);
    }
    std::vector<double> phi(d);
    for (std::size_t k = 0; k < d; ++k) phi[k] = std::max(p.phi[k], 1e-12);
    std::vector<double> rho(t * d);
    std::vector<double> g(t);
    for (std::size_t row = 0; row < t; ++row) {
        const std::span<const double> x(p.features.data() + row * d, d);
        for (std::size_t k = 0; k < d; ++k) rho[row * d + k] = x[k] * std::sqrt(phi[k]);
        g[row] = -0.5 * (platform::accel::sumOfSquares(x) + static_cast<double>(d) * log2Pi);
    }

    const double ratio = p.fa / p.fb;
    const std::vector<double> ones(t, 1.0);
    std::vector<double> counts(s), invL(s * d), alpha(s * d), gammaRho(s * d), logP(t * s), lpi(s), u(s);
    double previous = 0;
    for (long long i = 0; i < p.maxIterations; ++i) {
        columnSums(gamma, t, s, ones, counts);
        for (std::size_t sp = 0; sp < s; ++sp) {
            for (std::size_t k = 0; k < d; ++k) {
                const double h = phi[k] * (counts[sp] * ratio) + 1.0;
                invL[sp * d + k] = h <= 1e-12 ? 1e12 : 1.0 / h;
            }
        }
        platform::accel::dgemm(Transpose::transposed, Transpose::none, s, d, t, 1.0, gamma, rho, 0.0, gammaRho);
        platform::accel::multiply(gammaRho, invL, alpha);
        platform::accel::scale(alpha, ratio, alpha);
        platform::accel::dgemm(Transpose::none, Transpose::transposed, t, s, d, 1.0, rho, alpha, 0.0, logP);
        for (std::size_t sp = 0; sp < s; ++sp) {
            double q = 0;
            for (std::size_t k = 0; k < d; ++k) {
                const double a = alpha[sp * d + k];
                q += (a * a + invL[sp * d + k]) * phi[k];
            }
            for (std::size_t row = 0; row < t; ++row) {
                double& value = logP[row * s + sp];
                value = p.fa * (value - 0.5 * q + g[row]);
            }
            lpi[sp] = std::log(std::max(out.pi[sp], 1e-8));
        }
        double evidence = 0;
        for (std::size_t row = 0; row < t; ++row) {
            const std::span<double> r(gamma.data() + row * s, s);
            platform::accel::add(std::span<const double>(logP.data() + row * s, s), lpi, u);
            const double m = platform::accel::maxValue(std::span<const double>(u));
            platform::accel::addScalar(u, -m, u);
            platform::accel::exp(u, u);
            const double z = platform::accel::sum(std::span<const double>(u));
            if (!finitePositive(z)) {
                platform::accel::fill(r, 1.0 / static_cast<double>(s));
                evidence += m;
            } else {
                platform::accel::scale(u, 1.0 / z, r);
                evidence += std::log(z) + m;
            }
        }
        columnSums(gamma, t, s, ones, out.pi);
        normalizeRow(out.pi);
        double logSum = 0, invSum = 0, alphaSquares = platform::accel::sumOfSquares(std::span<const double>(alpha));
        for (const double v : invL) {
            logSum += std::log(v);
            invSum += v;
        }
        const double elbo = evidence + 0.5 * p.fb * (logSum - invSum - alphaSquares + static_cast<double>(s * d));
        out.elbos.push_back(elbo);
        if (i > 0 && std::abs(elbo - previous) < p.epsilon) break;
        previous = elbo;
    }
    return out;
}

} // namespace razeziruzer::vbx
