#pragma once
// Where the figures lie in the record VlMidiStatisticsCompute fills.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vl::cli {

using StatisticsRecord = std::array<std::int32_t, 29>;

constexpr std::size_t kStraightFits = 1;      // 8 grids, the breve's first
constexpr std::size_t kTripletFits = 9;       // 8 grids
constexpr std::size_t kSwingCounts = 17;      // 4 sixteenth classes of the crotchet
constexpr std::size_t kSwingMeans = 21;
constexpr std::size_t kSwingDeviations = 25;

}  // namespace vl::cli
