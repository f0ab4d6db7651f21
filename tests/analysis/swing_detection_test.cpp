// Swing figures summed over a track set and the swing amount drawn from them:
// figures from hand-made statistics, then whole tracks whose note-ons are
// straight, swung, or a mix.

#include "analysis/swing_detection.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "midi/swing_statistics.h"

namespace vl {
namespace {

using Four = std::array<int32_t, 4>;

MidiTrack trackWithStatistics(const Four& count, const Four& sum, const Four& squares) {
    MidiTrack t(96);
    t.swing.count = count;
    t.swing.offsetSum = sum;
    t.swing.offsetSquares = squares;
    return t;
}

struct FiguresCase {
    const char* name;
    uint32_t division;
    std::vector<MidiTrack> tracks;
    Four count;
    Four mean;
    Four deviation;
};

TEST(SwingDetectionFigures, FromTrackStatistics) {
    std::vector<FiguresCase> cases;
    // Offsets 10, 12, 14: mean 12, 440 / 3 = 146, variance 2, deviation 2.
    cases.push_back({"one class, ceiling of the root", 96,
                     {trackWithStatistics({0, 3, 0, 0}, {0, 36, 0, 0}, {0, 440, 0, 0})},
                     {0, 3, 0, 0}, {0, 12, 0, 0}, {0, 2, 0, 0}});
    // Offsets 2 and 6: variance exactly 4, deviation 2 and not 3.
    cases.push_back({"square variance", 96,
                     {trackWithStatistics({2, 0, 0, 0}, {8, 0, 0, 0}, {40, 0, 0, 0})},
                     {2, 0, 0, 0}, {4, 0, 0, 0}, {2, 0, 0, 0}});
    // Class 2 over two tracks: offsets 16, 16 and 0: sum 32, squares 512;
    // mean 10, 512 / 3 = 170, variance 70, deviation 9. The third track's
    // class 2 has count 0, so its stray sums are not added.
    cases.push_back({"summed over tracks", 96,
                     {trackWithStatistics({1, 0, 2, 0}, {0, 0, 32, 0}, {0, 0, 512, 0}),
                      trackWithStatistics({1, 0, 1, 0}, {3, 0, 0, 0}, {9, 0, 0, 0}),
                      trackWithStatistics({0, 0, 0, 0}, {50, 0, 50, 0}, {900, 0, 900, 0})},
                     {2, 0, 3, 0}, {1, 0, 10, 0}, {2, 0, 9, 0}});
    // Division 192: offsets 18, 20, 22 give mean 20 and deviation 2, halved.
    cases.push_back({"scaled to 96 per quarter", 192,
                     {trackWithStatistics({0, 0, 0, 3}, {0, 0, 0, 60}, {0, 0, 0, 1208})},
                     {0, 0, 0, 3}, {0, 0, 0, 10}, {0, 0, 0, 1}});
    // Division 120: mean 25 x 96 / 120 = 20; deviation 0.
    cases.push_back({"scaled down with integer division", 120,
                     {trackWithStatistics({4, 0, 0, 0}, {100, 0, 0, 0}, {2500, 0, 0, 0})},
                     {4, 0, 0, 0}, {20, 0, 0, 0}, {0, 0, 0, 0}});
    // Figures that no real track gives: the variance would be negative.
    cases.push_back({"negative variance becomes 0", 96,
                     {trackWithStatistics({2, 0, 0, 0}, {10, 0, 0, 0}, {40, 0, 0, 0})},
                     {2, 0, 0, 0}, {5, 0, 0, 0}, {0, 0, 0, 0}});
    cases.push_back({"division 0: counts only", 0,
                     {trackWithStatistics({3, 0, 0, 0}, {36, 0, 0, 0}, {440, 0, 0, 0})},
                     {3, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
    cases.push_back({"no tracks", 96, {}, {}, {}, {}});
    for (FiguresCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackSet set;
        set.division = c.division;
        for (MidiTrack& t : c.tracks) set.appendTrack(std::move(t));
        const SwingFigures f = computeSwingFigures(set);
        EXPECT_EQ(f.count, c.count);
        EXPECT_EQ(f.mean, c.mean);
        EXPECT_EQ(f.deviation, c.deviation);
    }
}

TEST(SwingDetectionFigures, SaturatedTrackFiguresDoNotOverflow) {
    // Many tracks at the 32-bit limit: the sums need 64 bits, the counts are
    // reported saturated.
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    TrackSet set;
    for (int i = 0; i < 4; ++i)
        set.appendTrack(trackWithStatistics({kMax, 0, 1, 0}, {kMax, 0, 5, 0}, {kMax, 0, 25, 0}));
    const SwingFigures f = computeSwingFigures(set);
    EXPECT_EQ(f.count[0], kMax);
    EXPECT_EQ(f.mean[0], 1);
    EXPECT_EQ(f.deviation[0], 0);
    EXPECT_EQ(f.count[2], 4);
    EXPECT_EQ(f.mean[2], 5);
}

TEST(SwingDetectionAmount, FromFigures) {
    struct Case {
        const char* name;
        Four mean;
        Four deviation;
        uint8_t amount;
    };
    const std::vector<Case> cases = {
        {"nothing counted", {}, {}, 0},
        {"late second eighth", {1, 0, 16, 0}, {1, 0, 4, 0}, 15},
        {"late by just more than its spread", {0, 0, 5, 0}, {0, 0, 4, 0}, 5},
        {"late by no more than its spread", {0, 0, 5, 0}, {0, 0, 5, 0}, 0},
        {"beat just as late", {10, 0, 10, 0}, {0, 0, 2, 0}, 0},
        {"beat later still", {12, 0, 10, 0}, {0, 0, 2, 0}, 0},
        {"other classes do not matter", {0, 20, 3, 20}, {0, 0, 0, 0}, 3},
        {"capped at one byte", {0, 0, 1000, 0}, {0, 0, 0, 0}, 255},
    };
    for (const Case& c : cases) {
        SwingFigures f;
        f.mean = c.mean;
        f.deviation = c.deviation;
        EXPECT_EQ(swingAmount(f), c.amount) << c.name;
    }
}

TEST(SwingDetectionAmount, CeilingSquareRoot) {
    struct Case {
        int64_t v;
        int64_t root;
    };
    const std::vector<Case> cases = {
        {-5, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 3}, {146, 13}, {144, 12},
        {int64_t{3037000499} * 3037000499, 3037000499},
        {int64_t{3037000499} * 3037000499 + 1, 3037000500},
        {std::numeric_limits<int64_t>::max(), 3037000500},
    };
    for (const Case& c : cases) EXPECT_EQ(ceilingSquareRoot(c.v), c.root) << c.v;
}

// ---- Whole tracks ----------------------------------------------------------

// A track of note-ons at the given positions within each of `quarters`
// quarter notes, with its swing statistics gathered.
MidiTrack notesInEveryQuarter(uint32_t division, const std::vector<uint32_t>& positions,
                              int quarters) {
    MidiTrack t(division);
    uint32_t previous = 0;
    for (int q = 0; q < quarters; ++q) {
        for (uint32_t p : positions) {
            const uint32_t at = static_cast<uint32_t>(q) * division + p;
            t.append(MidiEvent(at - previous, MidiMessage::channel(kind::NoteOn, 0, 60, 90)));
            previous = at;
        }
    }
    computeSwingStatistics(t);
    return t;
}

TEST(SwingDetectionTracks, StraightSwungAndMixed) {
    struct Case {
        const char* name;
        uint32_t division;
        std::vector<std::vector<uint32_t>> tracks;  // positions within the quarter
        uint8_t swing;
    };
    const std::vector<Case> cases = {
        {"straight eighths", 96, {{0, 48}}, 0},
        {"swung eighths, 2:1", 96, {{0, 64}}, 16},
        {"swung eighths, slightly late beats", 96, {{2, 62}}, 12},
        // Class 2 offsets 16 and 0 in equal numbers: mean 8, deviation 8.
        {"one swung, one straight", 96, {{0, 64}, {0, 48}}, 0},
        {"no note-ons", 96, {{}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackSet set;
        set.division = c.division;
        for (const std::vector<uint32_t>& positions : c.tracks)
            set.appendTrack(notesInEveryQuarter(c.division, positions, 8));
        EXPECT_EQ(detectSwing(set), c.swing);
    }
}

}  // namespace
}  // namespace vl
