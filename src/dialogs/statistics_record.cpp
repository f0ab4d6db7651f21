#include "dialogs/statistics_record.h"

#include "analysis/swing_detection.h"
#include "markers/marker_events.h"

namespace vl {

namespace {

constexpr int32_t kFitScale = 1000;  // tenths of a percent

// How many intervals were counted against each grid, and how many fitted it.
struct GridTally {
    std::array<int64_t, kGridCount> fitting{};
    std::array<int64_t, kGridCount> counted{};

    void countInterval(const GridTicks& grids, int64_t interval) {
        for (std::size_t i = 0; i < kGridCount; ++i) {
            if (grids[i] <= 0) continue;
            ++counted[i];
            if (interval % grids[i] == 0) ++fitting[i];
        }
    }

    std::array<int32_t, kGridCount> fits(const GridTicks& grids) const {
        std::array<int32_t, kGridCount> result{};
        for (std::size_t i = 0; i < kGridCount; ++i) {
            if (grids[i] <= 0 || counted[i] == 0) {
                result[i] = statistics::NoFit;
            } else {
                result[i] = static_cast<int32_t>(fitting[i] * kFitScale / counted[i]);
            }
        }
        return result;
    }
};

void tallyTrack(const MidiTrack& track, const GridTicks& straight, const GridTicks& triplet,
                GridTally& straightTally, GridTally& tripletTally) {
    int64_t absTime = 0;
    int64_t previousOnset = -1;
    for (const MidiEvent& event : track.events) {
        absTime += event.time;
        if (!isNoteOnCombined(event)) continue;
        // Chord notes on one tick give no interval, and neither does an onset at tick 0.
        if (absTime > previousOnset && previousOnset > 0) {
            const int64_t interval = absTime - previousOnset;
            straightTally.countInterval(straight, interval);
            tripletTally.countInterval(triplet, interval);
        }
        previousOnset = absTime;
    }
}

void writeSwingFigures(const TrackSet& set, std::span<int32_t, kStatisticsEntries> record) {
    const SwingFigures figures = computeSwingFigures(set);
    for (std::size_t c = 0; c < kSwingClasses; ++c) {
        record[statistics::SwingCounts + c] = figures.count[c];
        record[statistics::SwingMeans + c] = figures.mean[c];
        record[statistics::SwingDeviations + c] = figures.deviation[c];
    }
}

}  // namespace

GridTicks straightGrids(uint32_t division) {
    const int64_t d = division;
    GridTicks grids{8 * d, 4 * d, 2 * d, d, 0, 0, 0, 0};
    // D/2, D/4, D/8 and D/16 only where they come out as whole ticks.
    for (std::size_t i = 4; i < kGridCount; ++i) {
        const int64_t parts = int64_t{1} << (i - 3);
        grids[i] = d % parts == 0 ? d / parts : 0;
    }
    return grids;
}

GridTicks tripletGrids(uint32_t division) {
    GridTicks grids = straightGrids(division);
    for (int64_t& g : grids) g = division % 3 == 0 ? g / 3 : 0;
    return grids;
}

int32_t presenceBits(const MidiTrack& track) {
    int64_t absTime = 0;
    int32_t bits = 0;
    for (const MidiEvent& event : track.events) {
        absTime += event.time;
        const MidiMessage& m = event.message;
        const bool atStart = absTime == 0;
        if (m.isTimeSignatureMeta()) {
            bits |= atStart ? presence::TimeSignatureAtStart : presence::TimeSignatureLater;
        } else if (m.isKeySignatureMeta()) {
            bits |= atStart ? presence::KeySignatureAtStart : presence::KeySignatureLater;
        } else if (m.isTempoMeta()) {
            bits |= atStart ? presence::TempoAtStart : presence::TempoLater;
        }
    }
    return bits;
}

GridFits computeGridFits(const TrackSet& set) {
    const GridTicks straight = straightGrids(set.division);
    const GridTicks triplet = tripletGrids(set.division);
    GridTally straightTally;
    GridTally tripletTally;
    for (const MidiTrack& track : set.tracks) {
        tallyTrack(track, straight, triplet, straightTally, tripletTally);
    }
    return GridFits{straightTally.fits(straight), tripletTally.fits(triplet)};
}

bool computeStatistics(const TrackSet& set, std::span<int32_t, kStatisticsEntries> record) {
    const GridFits fits = computeGridFits(set);
    for (std::size_t i = 0; i < kGridCount; ++i) {
        record[statistics::StraightFits + i] = fits.straight[i];
        record[statistics::TripletFits + i] = fits.triplet[i];
    }
    writeSwingFigures(set, record);
    if (set.empty()) return false;
    record[statistics::Presence] = presenceBits(set.tracks.front());
    return true;
}

}  // namespace vl
