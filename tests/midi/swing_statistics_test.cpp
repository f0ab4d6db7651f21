// Swing figures at the edges of the grid: no grid, the finest grid, huge sums. The
// figures of an ordinary track are a row of tests/data/cases/midi_read.txt.

#include "midi/swing_statistics.h"

#include <gtest/gtest.h>

#include <limits>

#include "midi/read_bytes.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(SwingStatistics, a_coarse_division_gathers_nothing_and_clears_old_figures) {
    for (uint32_t division : {0u, 1u, 3u}) {
        MidiTrack t = trackFromText("0 on 0 60, 5 on 0 60", division);
        t.swing.count[2] = 9;
        EXPECT_EQ(computeSwingStatistics(t), 0) << division;
        EXPECT_EQ(swingText(t.swing), "none") << division;
    }
}

TEST(SwingStatistics, the_finest_grid_and_a_second_computation_give_the_same_figures) {
    // Sixteenth 1, eighth 2: onsets 1 and 3 share the eighth of the one before.
    MidiTrack t = trackFromText("0 on 0 60, 1 on 0 60, 2 on 0 60, 3 on 0 60, 4 on 0 60", 4);
    EXPECT_EQ(computeSwingStatistics(t), 3);
    EXPECT_EQ(computeSwingStatistics(t), 3);
    EXPECT_EQ(swingText(t.swing), "2/0/1/0 0/0/0/0 0/0/0/0");
}

TEST(SwingStatistics, large_sums_saturate_instead_of_overflowing) {
    // Sixteenth 16383: ten onsets 16000 ticks after a quarter's start, all in class 0.
    std::string items;
    for (uint32_t k = 0; k < 10; ++k) items += std::to_string(4 * k * 16383 + 16000) + " on 0 60,";
    MidiTrack t = trackFromText(items, 65535);
    EXPECT_EQ(computeSwingStatistics(t), 10);
    EXPECT_EQ(t.swing.offsetSum[0], 160000);
    EXPECT_EQ(t.swing.offsetSquares[0], std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace vl::test
