#pragma once
// Bits of the analysis-state word: which results the tracks carry now. The
// session keeps the word; the listing reads it to decide what it may show.

#include <cstdint>

namespace vl::state {

constexpr uint32_t DelayRemoved = 0x1;
constexpr uint32_t LengthsEqualised = 0x2;
constexpr uint32_t MetaMarkers = 0x4;
constexpr uint32_t BarGroups = 0x8;
constexpr uint32_t Ties = 0x10;
constexpr uint32_t AnyFiducials = 0x1C;
constexpr uint32_t FirstQuantised = 0x20;
constexpr uint32_t TripletsAndSwing = 0x40;
constexpr uint32_t Durations = 0x10000;
constexpr uint32_t Strands = 0x20000;

}  // namespace vl::state
