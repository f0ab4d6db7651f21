#include "midi/swing_statistics.h"

#include <gtest/gtest.h>

#include <limits>

namespace vl {
namespace {

MidiEvent noteOn(uint32_t delta) {
    return MidiEvent(delta, MidiMessage::channel(kind::NoteOn, 0, 60, 100));
}

TEST(SwingStatisticsTest, CoarseDivisionGathersNothingAndClearsOldFigures) {
    for (uint32_t division : {0u, 1u, 3u}) {
        MidiTrack t(division);
        t.append(noteOn(0));
        t.append(noteOn(5));
        t.swing.count[2] = 9;
        t.swing.offsetSquares[1] = 4;
        EXPECT_EQ(computeSwingStatistics(t), 0) << division;
        EXPECT_EQ(t.swing.count, (std::array<int32_t, 4>{})) << division;
        EXPECT_EQ(t.swing.offsetSquares, (std::array<int32_t, 4>{})) << division;
    }
}

TEST(SwingStatisticsTest, SmallestDivisionWithAGrid) {
    // Division 4: sixteenth 1, eighth 2. Onsets 0, 1, 2, 3, 4.
    MidiTrack t(4);
    for (uint32_t d : {0u, 1u, 1u, 1u, 1u}) t.append(noteOn(d));
    // 0: class 0; 1: same eighth; 2: class 2; 3: same eighth; 4: class 0.
    EXPECT_EQ(computeSwingStatistics(t), 3);
    EXPECT_EQ(t.swing.count, (std::array<int32_t, 4>{2, 0, 1, 0}));
    EXPECT_EQ(t.swing.offsetSum, (std::array<int32_t, 4>{}));
}

TEST(SwingStatisticsTest, LargeSumsSaturateInsteadOfOverflowing) {
    // Division 65535: sixteenth 16383. Ten note-ons, each 16000 ticks after a
    // sixteenth line that starts a quarter, so all fall in class 0; the sum of
    // squares (10 x 2.56e8) passes the 32-bit range.
    MidiTrack t(65535);
    uint32_t previous = 0;
    for (uint32_t k = 0; k < 10; ++k) {
        const uint32_t at = 4 * k * 16383 + 16000;
        t.append(noteOn(at - previous));
        previous = at;
    }
    EXPECT_EQ(computeSwingStatistics(t), 10);
    EXPECT_EQ(t.swing.count[0], 10);
    EXPECT_EQ(t.swing.offsetSum[0], 160000);
    EXPECT_EQ(t.swing.offsetSquares[0], std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace vl
