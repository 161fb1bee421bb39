#include "RazeziRuzer/Diarizer/DiarizationDER.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Diarizer/Hungarian.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace razeziruzer::DiarizationDER {
namespace {

struct Labels {
    std::vector<std::string> names;
    std::map<std::string, std::size_t> index;

    std::size_t add(const std::string& label) {
        const auto [found, inserted] = index.emplace(label, names.size());
        if (inserted) names.push_back(label);
        return found->second;
    }
};

// Frames on one grid, frame-major: entry frame * speakers + speaker.
struct Grid {
    std::size_t speakers = 0;
    std::vector<bool> active;

    bool at(std::int64_t frame, std::size_t speaker) const {
        return active[static_cast<std::size_t>(frame) * speakers + speaker];
    }
};

// Frame indices must be representable; the grid itself is bounded by numFrames.
std::int64_t frameIndex(double value) {
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!(value > -limit && value < limit)) throw DiarizerError::processingFailed("Time outside the frame grid");
    return static_cast<std::int64_t>(value);
}

Grid makeGrid(std::span<const DERSpeakerSegment> segments, const Labels& labels, std::int64_t numFrames,
              double frameStep) {
    Grid grid{labels.names.size(), std::vector<bool>(static_cast<std::size_t>(numFrames) * labels.names.size())};
    for (const auto& segment : segments) {
        if (!(segment.start < segment.end)) continue;
        const auto speaker = labels.index.at(segment.speaker);
        // Nearest frame; an exact half rounds down.
        const auto first = std::max<std::int64_t>(0, frameIndex(std::ceil(segment.start / frameStep - 0.5)));
        const auto last = std::min(numFrames, frameIndex(std::ceil(segment.end / frameStep - 0.5)));
        for (auto frame = first; frame < last; ++frame) {
            grid.active[static_cast<std::size_t>(frame) * grid.speakers + speaker] = true;
        }
    }
    return grid;
}

} // namespace

std::vector<bool> collarMask(std::span<const DERSpeakerSegment> ref, std::int64_t numFrames, double frameStep,
                             double collar) {
    std::vector<bool> mask(static_cast<std::size_t>(std::max<std::int64_t>(0, numFrames)), true);
    if (!(collar > 0)) return mask;
    const double half = collar * 0.5;
    for (const auto& segment : ref) {
        if (!(segment.start < segment.end)) continue;
        for (const double boundary : {segment.start, segment.end}) {
            const auto from = std::max<std::int64_t>(0, frameIndex(std::floor((boundary - half) / frameStep)));
            const auto to = std::min(numFrames, frameIndex(std::ceil((boundary + half) / frameStep)));
            for (auto frame = from; frame < to; ++frame) mask[static_cast<std::size_t>(frame)] = false;
        }
    }
    return mask;
}

DERResult compute(std::span<const DERSpeakerSegment> ref, std::span<const DERSpeakerSegment> hyp, double frameStep,
                  double collar) {
    if (!(frameStep > 0) || !std::isfinite(frameStep)) {
        throw DiarizerError::processingFailed("Frame step must be a positive number");
    }
    if (!(collar >= 0)) throw DiarizerError::processingFailed("Collar must not be negative");

    Labels refLabels;
    Labels hypLabels;
    double maxEnd = 0;
    for (const auto& segment : ref) {
        refLabels.add(segment.speaker);
        if (maxEnd <= segment.end) maxEnd = segment.end;
    }
    for (const auto& segment : hyp) {
        hypLabels.add(segment.speaker);
        if (maxEnd <= segment.end) maxEnd = segment.end;
    }
    if (refLabels.names.empty() && hypLabels.names.empty()) return {};
    const auto numFrames = frameIndex(std::ceil(maxEnd / frameStep)) + 1;
    const auto refCount = refLabels.names.size();
    const auto hypCount = hypLabels.names.size();
    if (numFrames <= 0 || static_cast<double>(numFrames) * static_cast<double>(std::max(refCount, hypCount)) > 1e9) {
        throw DiarizerError::processingFailed("Recording too long for the frame grid");
    }

    const auto refGrid = makeGrid(ref, refLabels, numFrames, frameStep);
    const auto hypGrid = makeGrid(hyp, hypLabels, numFrames, frameStep);

    std::vector<std::int64_t> overlap(hypCount * refCount, 0);
    for (std::int64_t frame = 0; frame < numFrames; ++frame) {
        for (std::size_t h = 0; h < hypCount; ++h) {
            if (!hypGrid.at(frame, h)) continue;
            for (std::size_t r = 0; r < refCount; ++r) {
                if (refGrid.at(frame, r)) ++overlap[h * refCount + r];
            }
        }
    }

    const auto n = std::max(refCount, hypCount);
    const std::int64_t maximum = overlap.empty() ? 0 : *std::max_element(overlap.begin(), overlap.end());
    std::vector<std::int64_t> cost(n * n, maximum);
    for (std::size_t h = 0; h < hypCount; ++h) {
        for (std::size_t r = 0; r < refCount; ++r) cost[h * n + r] = maximum - overlap[h * refCount + r];
    }
    const auto assignment = Hungarian::solve(cost, static_cast<std::int64_t>(n));
    std::vector<std::int64_t> mapped(hypCount, -1);
    for (std::size_t h = 0; h < hypCount; ++h) {
        const auto column = assignment[h];
        if (column >= 0 && static_cast<std::size_t>(column) < refCount &&
            overlap[h * refCount + static_cast<std::size_t>(column)] > 0) {
            mapped[h] = column;
        }
    }

    const auto mask = collarMask(ref, numFrames, frameStep, collar);
    std::int64_t miss = 0, falseAlarm = 0, confusion = 0, totalRef = 0;
    for (std::int64_t frame = 0; frame < numFrames; ++frame) {
        if (!mask[static_cast<std::size_t>(frame)]) continue;
        std::int64_t r = 0, h = 0, correct = 0;
        for (std::size_t s = 0; s < refCount; ++s) r += refGrid.at(frame, s) ? 1 : 0;
        for (std::size_t s = 0; s < hypCount; ++s) {
            if (!hypGrid.at(frame, s)) continue;
            ++h;
            if (mapped[s] >= 0 && refGrid.at(frame, static_cast<std::size_t>(mapped[s]))) ++correct;
        }
        miss += std::max<std::int64_t>(0, r - h);
        falseAlarm += std::max<std::int64_t>(0, h - r);
        confusion += std::min(r, h) - correct;
        totalRef += r;
    }

    DERResult result;
    result.miss = static_cast<double>(miss) * frameStep;
    result.falseAlarm = static_cast<double>(falseAlarm) * frameStep;
    result.confusion = static_cast<double>(confusion) * frameStep;
    result.totalRefSpeech = static_cast<double>(totalRef) * frameStep;
    if (result.totalRefSpeech > 0) {
        result.der = (result.falseAlarm + result.miss + result.confusion) / result.totalRefSpeech;
    } else if (result.falseAlarm > 0) {
        // All hypothesis speech is false alarm; an error rate of 0 would hide it.
        result.der = std::numeric_limits<double>::infinity();
    }
    for (std::size_t h = 0; h < hypCount; ++h) {
        if (mapped[h] >= 0) result.mapping[hypLabels.names[h]] = refLabels.names[static_cast<std::size_t>(mapped[h])];
    }
    return result;
}

} // namespace razeziruzer::DiarizationDER
