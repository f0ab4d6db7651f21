#include "analysis/swing_detection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vl {

namespace {

constexpr int64_t kReferenceDivision = 96;

int32_t clampTo32(int64_t v) {
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(v, kMin, kMax));
}

// The tracks' per-class sums; 64-bit so that many saturated 32-bit track
// figures still add up exactly.
struct ClassSums {
    std::array<int64_t, 4> count{};
    std::array<int64_t, 4> offsetSum{};
    std::array<int64_t, 4> offsetSquares{};
};

ClassSums sumOverTracks(const TrackSet& set) {
    ClassSums sums;
    for (const MidiTrack& track : set.tracks) {
        for (size_t c = 0; c < 4; ++c) {
            if (track.swing.count[c] <= 0) continue;
            sums.count[c] += track.swing.count[c];
            sums.offsetSum[c] += track.swing.offsetSum[c];
            sums.offsetSquares[c] += track.swing.offsetSquares[c];
        }
    }
    return sums;
}

int64_t scaledToReference(int64_t ticks, uint32_t division) {
    if (division == kReferenceDivision) return ticks;
    return ticks * kReferenceDivision / division;
}

}  // namespace

int64_t ceilingSquareRoot(int64_t v) {
    if (v <= 0) return 0;
    // The floating-point root can be off by one either way for large v; the
    // squares are compared unsigned, where even the root of INT64_MAX fits.
    const uint64_t target = static_cast<uint64_t>(v);
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    while (r > 0 && r * r >= target) --r;
    while (r * r < target) ++r;
    return static_cast<int64_t>(r);
}

SwingFigures computeSwingFigures(const TrackSet& set) {
    const ClassSums sums = sumOverTracks(set);
    SwingFigures figures;
    for (size_t c = 0; c < 4; ++c) {
        const int64_t n = sums.count[c];
        figures.count[c] = clampTo32(n);
        if (n <= 0 || set.division == 0) continue;
        const int64_t mean = sums.offsetSum[c] / n;
        const int64_t variance = std::max<int64_t>(sums.offsetSquares[c] / n - mean * mean, 0);
        const int64_t deviation = ceilingSquareRoot(variance);
        figures.mean[c] = clampTo32(scaledToReference(mean, set.division));
        figures.deviation[c] = clampTo32(scaledToReference(deviation, set.division));
    }
    return figures;
}

uint8_t swingAmount(const SwingFigures& figures) {
    const int64_t lateEighth = figures.mean[2];
    if (lateEighth - figures.deviation[2] < 1) return 0;
    const int64_t amount = lateEighth - figures.mean[0];
    if (amount < 1) return 0;
    return static_cast<uint8_t>(std::min<int64_t>(amount, 255));
}

uint8_t detectSwing(const TrackSet& set) { return swingAmount(computeSwingFigures(set)); }

}  // namespace vl
