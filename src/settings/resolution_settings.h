#pragma once
// One persistent settings record: what the quantiser resolves, and the fixed
// tolerances the analysis steps use.

#include <cstdint>
#include <string_view>

namespace vl {

class SettingsStore;

inline constexpr std::string_view kRhythmResolutionSection = "rhythm resolution";
inline constexpr std::string_view kInputResolutionSection = "input resolution";

struct ResolutionSettings {
    uint32_t triplets = 0;
    uint32_t swing = 1;
    uint8_t quantisationBeat = 7;  // note-value index 3 (crotchet) to 7 (1/64)
    int32_t chordEndTolerance = 100;
    int32_t chordStartTolerance = 25;
    int32_t overlapTolerance1 = 40;
    int32_t overlapTolerance2 = 40;
    int32_t overlapTolerance3 = 30;
};

// The stored beat's lowest byte as an unsigned number, limited to 3..7.
uint8_t clampQuantisationBeat(int32_t stored);

// Reads swing, triplets and quantisation beat of a section, with that
// section's defaults for missing values; the beat is clamped to 3..7.
ResolutionSettings loadResolutionSettings(const SettingsStore& store, std::string_view section);
void saveResolutionSettings(SettingsStore& store, std::string_view section,
                            const ResolutionSettings& settings);

// Overlap o = b - c of spans (a, b) and (c, d) with quantisation step q.
bool acceptOverlap(int64_t a, int64_t b, int64_t c, int64_t d, int64_t q,
                   const ResolutionSettings& s);
// Second form: L = b - a.
bool acceptOverlap(int64_t a, int64_t b, int64_t c, int64_t q, const ResolutionSettings& s);

}  // namespace vl
