#pragma once
// The statistics record of a track set: whether the first track states its
// signatures and tempo at the start or later, how well the note onsets fit the
// straight and triplet note-value grids, and the swing figures.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "midi/track_set.h"

namespace vl {

inline constexpr std::size_t kStatisticsEntries = 29;
inline constexpr std::size_t kGridCount = 8;
inline constexpr std::size_t kSwingClasses = 4;

using StatisticsValues = std::array<int32_t, kStatisticsEntries>;

// Where each part of the record starts.
namespace statistics {
constexpr std::size_t Presence = 0;
constexpr std::size_t StraightFits = 1;   // 8 entries: grids 8D, 4D, ..., D/16
constexpr std::size_t TripletFits = 9;    // 8 entries: the same grids divided by 3
constexpr std::size_t SwingCounts = 17;   // 4 entries, classes 0 to 3
constexpr std::size_t SwingMeans = 21;
constexpr std::size_t SwingDeviations = 25;
// A fit entry without a whole-tick grid or without any counted interval.
constexpr int32_t NoFit = -1;
}  // namespace statistics

// Presence bits of entry 0.
namespace presence {
constexpr int32_t TimeSignatureAtStart = 0x1;
constexpr int32_t TimeSignatureLater = 0x2;
constexpr int32_t KeySignatureAtStart = 0x4;
constexpr int32_t KeySignatureLater = 0x8;
constexpr int32_t TempoAtStart = 0x10;
constexpr int32_t TempoLater = 0x20;
}  // namespace presence

using GridTicks = std::array<int64_t, kGridCount>;

// 8D, 4D, 2D, D, D/2, D/4, D/8, D/16 for division D; a grid that is not a
// whole number of ticks is 0.
GridTicks straightGrids(uint32_t division);
// The straight grids divided by 3, or all 0 when D is not a multiple of 3.
GridTicks tripletGrids(uint32_t division);

// Real time signatures, key signatures and tempi of the track, at tick 0 or
// later; the library's marker copies of them do not count.
int32_t presenceBits(const MidiTrack& track);

// Per grid the fit in tenths of a percent of the intervals between successive
// note-on ticks (real or proprietary note-ons), or -1 when the grid is 0 or no
// interval was counted. Intervals starting at tick 0 are not counted.
struct GridFits {
    std::array<int32_t, kGridCount> straight{};
    std::array<int32_t, kGridCount> triplet{};
};
GridFits computeGridFits(const TrackSet& set);

// Fills the whole record. Entry 0 is written only when the set has a track;
// returns whether it has one.
bool computeStatistics(const TrackSet& set, std::span<int32_t, kStatisticsEntries> record);

}  // namespace vl
