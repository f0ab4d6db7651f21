#pragma once
// The session's quantisation grid: for every tick position within a quarter
// note, how far a note-on or a tempo change must move to reach the grid.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl {

class TrackSet;

// Note-value indices: 0 breve ... 3 crotchet ... 7 hemidemisemiquaver.
inline constexpr uint8_t kNoLevel = 128;

// Option bit: resolve triplets as well as the plain grid.
inline constexpr uint32_t kQuantiseTriplets = 16;

// Largest division that gets a grid: the most a 16-bit file header can state.
// Beyond it (only a host's live-input division can be larger) the per-tick
// tables would take gigabytes, so there is no grid at all.
inline constexpr uint32_t kMaxGridDivision = 0xFFFF;

class QuantisationSettings {
public:
    enum class GridKind : uint16_t { Plain = 0, Triplet = 1 };
    struct NoteOnEntry {
        int32_t offset = 0;
        GridKind kind = GridKind::Plain;
    };

    QuantisationSettings() = default;
    QuantisationSettings(uint32_t division, uint8_t requestedBeat, uint32_t liveInput,
                         uint32_t options);

    // Rebuilds the tables from the division, the requested finest note value
    // (3..7; other values are brought into that range) and the options
    // (kQuantiseTriplets). Division 0, or one above kMaxGridDivision, leaves
    // no grid: period 0, level kNoLevel, minStep 0, every lookup 0.
    void build(uint32_t division, uint8_t requestedBeat, uint32_t liveInput, uint32_t options);
    bool isBuilt() const {
        return period_ >= 1 && noteOnTable_.size() == static_cast<std::size_t>(period_);
    }

    int32_t period() const { return period_; }
    uint32_t liveInput() const { return liveInput_; }
    uint8_t level() const { return level_; }
    int32_t minStep() const { return minStep_; }
    uint8_t swingDetected() const { return swingDetected_; }
    void setSwingDetected(uint8_t amount) { swingDetected_ = amount; }

    // Lookups by position in ticks (taken modulo the period); 0 for a
    // negative position or an unbuilt table.
    int32_t noteOnOffset(int64_t position) const;
    GridKind noteOnKind(int64_t position) const;
    int32_t tempoOffset(int64_t position) const;

    // Plain and triplet grid steps in ticks (0 when there is none).
    int32_t plainStep() const { return plainStep_; }
    int32_t tripletStep() const { return tripletStep_; }

private:
    int32_t period_ = 0;
    uint32_t liveInput_ = 0;
    uint8_t swingDetected_ = 0;
    uint8_t level_ = kNoLevel;
    int32_t minStep_ = 0;
    int32_t plainStep_ = 0;
    int32_t tripletStep_ = 0;
    std::vector<NoteOnEntry> noteOnTable_;
    std::vector<int32_t> tempoTable_;
};

// Metric level of a position t (0..division) within a quarter note: 0 for
// the beat, larger for weaker positions, kNoLevel off the 64th-note grid.
uint8_t metricLevel(int64_t t, uint32_t division);

// Length in ticks of a note value (index 0..7, plain); 0 for other indices.
int64_t noteValueTicks(uint8_t index, uint32_t division);

// The metrically stronger of the grid points lo and hi (lo <= hi, both within
// one quarter note); lo when they are equally strong.
int64_t strongerGridPoint(int64_t lo, int64_t hi, uint32_t division);

// Grid step in ticks for divisor m (1 plain, 3 triplet) at note-value level:
// 0 when level is 0 or division is not a multiple of m.
int32_t gridStep(uint32_t division, uint32_t m, uint8_t level);

}  // namespace vl
