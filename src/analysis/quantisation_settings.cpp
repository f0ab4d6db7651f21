#include "analysis/quantisation_settings.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace vl {

namespace {

constexpr uint8_t kCoarsestLevel = 3;  // crotchet
constexpr uint8_t kFinestLevel = 7;    // hemidemisemiquaver

// The finest note value that is a whole number of ticks: each halving of an
// even division allows one level finer than the crotchet.
uint8_t finestPossibleLevel(uint32_t division) {
    if (division % 16 == 0) return kFinestLevel;
    uint8_t level = kCoarsestLevel;
    uint32_t value = division;
    while (value % 2 == 0 && level < kFinestLevel) {
        value /= 2;
        ++level;
    }
    return level;
}

int64_t roundDownTo(int64_t t, int64_t step) { return t - t % step; }

// The plain grid point that a note-on at t moves to, and the distance to the
// nearer plain point, which a triplet point has to beat.
struct PlainChoice {
    int64_t strong = 0;
    int64_t nearestDistance = 0;
};

PlainChoice choosePlainPoint(int64_t t, int64_t step, uint32_t division) {
    const int64_t lo = roundDownTo(t, step);
    const int64_t hi = lo == t ? lo : lo + step;
    const int64_t nearest = hi - t >= t - lo ? lo : hi;
    return {strongerGridPoint(lo, hi, division), nearest > t ? nearest - t : t - nearest};
}

// Nearest triplet point to t; a tie goes to the earlier one.
int64_t nearestTripletPoint(int64_t t, int64_t step) {
    const int64_t c = roundDownTo(t, step);
    return c + step - t < t - c ? c + step : c;
}

// Index into a table of the given period, or -1 when there is none.
int64_t tableIndex(int64_t position, int32_t period, size_t tableSize) {
    if (position < 0 || period < 1) return -1;
    const int64_t index = position % period;
    return static_cast<size_t>(index) < tableSize ? index : -1;
}

}  // namespace

uint8_t metricLevel(int64_t t, uint32_t division) {
    if (division == 0 || t < 0 || t > std::numeric_limits<int64_t>::max() / 16) return kNoLevel;
    const int64_t scaled = 16 * t;
    if (scaled % division != 0) return kNoLevel;
    const unsigned u = static_cast<unsigned>((scaled / division) % 128);
    if (u == 0) return 0;
    return static_cast<uint8_t>(7 - std::countr_zero(u));
}

int64_t noteValueTicks(uint8_t index, uint32_t division) {
    if (index > kFinestLevel) return 0;
    return (int64_t{1} << (kFinestLevel - index)) * division / 16;
}

int64_t strongerGridPoint(int64_t lo, int64_t hi, uint32_t division) {
    return metricLevel(hi, division) >= metricLevel(lo, division) ? lo : hi;
}

int32_t gridStep(uint32_t division, uint32_t m, uint8_t level) {
    if (level == 0 || m == 0 || division % m != 0) return 0;
    const int64_t period = division;
    const int64_t scale = int64_t{m} << (std::max(level, kCoarsestLevel) - kCoarsestLevel);
    int64_t s = period / m;
    while (s % 2 == 0 && s > 0 && scale * s > period) s /= 2;
    return static_cast<int32_t>(s);
}

QuantisationSettings::QuantisationSettings(uint32_t division, uint8_t requestedBeat,
                                           uint32_t liveInput, uint32_t options) {
    build(division, requestedBeat, liveInput, options);
}

void QuantisationSettings::build(uint32_t division, uint8_t requestedBeat, uint32_t liveInput,
                                 uint32_t options) {
    noteOnTable_.clear();
    tempoTable_.clear();
    liveInput_ = liveInput;
    swingDetected_ = 0;  // the caller stores what swing detection finds
    level_ = kNoLevel;
    minStep_ = 0;
    plainStep_ = 0;
    tripletStep_ = 0;
    period_ = 0;
    if (division == 0 || division > kMaxGridDivision) return;
    period_ = static_cast<int32_t>(division);

    const uint8_t requested = std::clamp(requestedBeat, kCoarsestLevel, kFinestLevel);
    level_ = std::min(requested, finestPossibleLevel(division));
    minStep_ = static_cast<int32_t>(noteValueTicks(level_, division));
    plainStep_ = gridStep(division, 1, level_);
    if ((options & kQuantiseTriplets) != 0)
        tripletStep_ = gridStep(division, 3, static_cast<uint8_t>(level_ - 2));

    noteOnTable_.reserve(division);
    tempoTable_.reserve(division);
    for (int64_t t = 0; t < period_; ++t) {
        const PlainChoice plain = choosePlainPoint(t, plainStep_, division);
        NoteOnEntry entry{static_cast<int32_t>(plain.strong - t), GridKind::Plain};
        if (tripletStep_ != 0) {
            const int64_t c = nearestTripletPoint(t, tripletStep_);
            const int64_t distance = c > t ? c - t : t - c;
            if (distance < plain.nearestDistance)
                entry = {static_cast<int32_t>(c - t), GridKind::Triplet};
        }
        noteOnTable_.push_back(entry);
        tempoTable_.push_back(static_cast<int32_t>(plain.strong - t));
    }
}

int32_t QuantisationSettings::noteOnOffset(int64_t position) const {
    const int64_t i = tableIndex(position, period_, noteOnTable_.size());
    return i < 0 ? 0 : noteOnTable_[static_cast<size_t>(i)].offset;
}

QuantisationSettings::GridKind QuantisationSettings::noteOnKind(int64_t position) const {
    const int64_t i = tableIndex(position, period_, noteOnTable_.size());
    return i < 0 ? GridKind::Plain : noteOnTable_[static_cast<size_t>(i)].kind;
}

int32_t QuantisationSettings::tempoOffset(int64_t position) const {
    const int64_t i = tableIndex(position, period_, tempoTable_.size());
    return i < 0 ? 0 : tempoTable_[static_cast<size_t>(i)];
}

}  // namespace vl
