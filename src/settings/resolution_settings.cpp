#include "settings/resolution_settings.h"

#include <algorithm>

#include "settings/settings_store.h"

namespace vl {

namespace {

constexpr std::string_view kSwingValue = "swing";
constexpr std::string_view kTripletsValue = "triplets";
constexpr std::string_view kBeatValue = "quantisation beat";

struct SectionDefaults {
    int32_t swing;
    int32_t triplets;
    int32_t beat;
};

// Files resolve triplets and swing down to 1/64 notes; live input neither,
// down to 1/16 notes.
SectionDefaults defaultsFor(std::string_view section) {
    if (section == kInputResolutionSection) return {0, 0, 5};
    return {1, 1, 7};
}

// Intermediate products of tick values can exceed 64 bits, so the tolerance
// tests compute in 128 bits.
__extension__ typedef __int128 Wide;

bool overlapWithinTolerance(Wide overlap, Wide length, Wide q, const ResolutionSettings& s) {
    if (overlap < q) return true;
    if (overlap < 2 * q) return overlap * 100 < Wide{s.overlapTolerance1} * length;
    if (overlap < 4 * q) return overlap * 100 < Wide{s.overlapTolerance2} * length;
    if (overlap < 8 * q) return overlap * 100 < Wide{s.overlapTolerance3} * length;
    return false;
}

}  // namespace

uint8_t clampQuantisationBeat(int32_t stored) {
    const auto lowByte = static_cast<uint8_t>(static_cast<uint32_t>(stored) & 0xFF);
    return std::clamp<uint8_t>(lowByte, 3, 7);
}

ResolutionSettings loadResolutionSettings(const SettingsStore& store, std::string_view section) {
    const SectionDefaults defaults = defaultsFor(section);
    ResolutionSettings settings;
    settings.swing = store.readInt(section, kSwingValue, defaults.swing) != 0 ? 1 : 0;
    settings.triplets = store.readInt(section, kTripletsValue, defaults.triplets) != 0 ? 1 : 0;
    settings.quantisationBeat = clampQuantisationBeat(store.readInt(section, kBeatValue,
                                                                    defaults.beat));
    return settings;
}

void saveResolutionSettings(SettingsStore& store, std::string_view section,
                            const ResolutionSettings& settings) {
    store.writeInt(section, kSwingValue, settings.swing != 0 ? 1 : 0);
    store.writeInt(section, kTripletsValue, settings.triplets != 0 ? 1 : 0);
    store.writeInt(section, kBeatValue, settings.quantisationBeat);
}

bool acceptOverlap(int64_t a, int64_t b, int64_t c, int64_t d, int64_t q,
                   const ResolutionSettings& s) {
    const Wide length = std::min(Wide{b} - a, Wide{d} - c);
    return overlapWithinTolerance(Wide{b} - c, length, q, s);
}

bool acceptOverlap(int64_t a, int64_t b, int64_t c, int64_t q, const ResolutionSettings& s) {
    return overlapWithinTolerance(Wide{b} - c, Wide{b} - a, q, s);
}

}  // namespace vl
