// The quantisation grid: level and steps from the division and the requested
// beat, where each tick position's note-on and tempo entries lead, the
// metric levels behind the choice, and the lookups' guards.

#include "analysis/quantisation_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vl {
namespace {

using Kind = QuantisationSettings::GridKind;

QuantisationSettings grid(uint32_t division, uint8_t beat, bool triplets) {
    return QuantisationSettings(division, beat, 0, triplets ? kQuantiseTriplets : 0);
}

// ---- Level and steps -----------------------------------------------------

struct GridShapeCase {
    uint32_t division;
    uint8_t beat;
    bool triplets;
    uint8_t level;
    int32_t minStep;
    int32_t plainStep;
    int32_t tripletStep;
};

TEST(QuantisationSettingsShape, LevelAndStepsFromDivisionAndBeat) {
    const std::vector<GridShapeCase> cases = {
        {96, 7, true, 7, 6, 6, 8},
        {96, 7, false, 7, 6, 6, 0},
        {96, 6, true, 6, 12, 12, 16},
        {96, 5, true, 5, 24, 24, 32},
        {96, 3, true, 3, 96, 96, 32},
        {120, 7, true, 6, 15, 15, 20},  // 120 = 15 x 8: no whole sixty-fourth
        {100, 7, true, 5, 25, 25, 0},  // not a multiple of 3: no triplet grid
        {7, 7, true, 3, 7, 7, 0},  // odd: crotchets only
        {3, 7, true, 3, 3, 3, 1},
        {65535, 7, true, 3, 65535, 65535, 21845},
        {96, 9, true, 7, 6, 6, 8},   // requested beat above 7 acts as 7
        {96, 0, true, 3, 96, 96, 32},  // requested beat below 3 acts as 3
    };
    for (const GridShapeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.division) + " beat " + std::to_string(c.beat) +
                     (c.triplets ? " triplets" : ""));
        const QuantisationSettings q = grid(c.division, c.beat, c.triplets);
        EXPECT_TRUE(q.isBuilt());
        EXPECT_EQ(q.period(), static_cast<int32_t>(c.division));
        EXPECT_EQ(q.level(), c.level);
        EXPECT_EQ(q.minStep(), c.minStep);
        EXPECT_EQ(q.plainStep(), c.plainStep);
        EXPECT_EQ(q.tripletStep(), c.tripletStep);
    }
}

TEST(QuantisationSettingsShape, NoGridForDivisionZeroOrBeyondSixteenBits) {
    for (uint32_t division : {0u, 0x10000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(division);
        const QuantisationSettings q = grid(division, 7, true);
        EXPECT_FALSE(q.isBuilt());
        EXPECT_EQ(q.period(), 0);
        EXPECT_EQ(q.level(), kNoLevel);
        EXPECT_EQ(q.minStep(), 0);
        EXPECT_EQ(q.plainStep(), 0);
        EXPECT_EQ(q.tripletStep(), 0);
        for (int64_t p : {0, 1, 7, 95, 100000}) {
            EXPECT_EQ(q.noteOnOffset(p), 0);
            EXPECT_EQ(q.noteOnKind(p), Kind::Plain);
            EXPECT_EQ(q.tempoOffset(p), 0);
        }
    }
}

TEST(QuantisationSettingsShape, RebuildReplacesTheOldGridAndSwing) {
    QuantisationSettings q = grid(96, 7, true);
    q.setSwingDetected(16);
    ASSERT_EQ(q.noteOnOffset(4), -4);
    q.build(96, 3, 1, 0);
    EXPECT_EQ(q.liveInput(), 1u);
    EXPECT_EQ(q.swingDetected(), 0);
    EXPECT_EQ(q.noteOnOffset(4), -4);
    EXPECT_EQ(q.noteOnOffset(30), -30);  // the crotchet grid now
    q.build(0, 7, 0, kQuantiseTriplets);
    EXPECT_FALSE(q.isBuilt());
    EXPECT_EQ(q.noteOnOffset(4), 0);
    EXPECT_EQ(q.tempoOffset(7), 0);
}

// ---- Note-on entries -------------------------------------------------------

struct NoteOnCase {
    const char* name;
    uint32_t division;
    uint8_t beat;
    bool triplets;
    int64_t position;
    int32_t offset;
    Kind kind;
};

TEST(QuantisationSettingsNoteOn, WorkedPositions) {
    const std::vector<NoteOnCase> cases = {
        // division 96, sixty-fourths (step 6) and triplet thirty-seconds (step 8)
        {"on the beat", 96, 7, true, 0, 0, Kind::Plain},
        {"on a plain point", 96, 7, true, 6, 0, Kind::Plain},
        {"4: back to 0, stronger than 6", 96, 7, true, 4, -4, Kind::Plain},
        {"7: on to 12, stronger than 6", 96, 7, true, 7, 5, Kind::Plain},
        {"8: on a triplet point", 96, 7, true, 8, 0, Kind::Triplet},
        {"9: triplet 8 nearer than plain 6", 96, 7, true, 9, -1, Kind::Triplet},
        {"17: to 12 although 18 is nearer", 96, 7, true, 17, -5, Kind::Plain},
        {"19: to 24", 96, 7, true, 19, 5, Kind::Plain},
        {"95: to the next beat", 96, 7, true, 95, 1, Kind::Plain},
        {"8 without triplets: to 12", 96, 7, false, 8, 4, Kind::Plain},
        // division 96, semiquavers (24) and triplet quavers (32)
        {"30: triplet 32", 96, 5, true, 30, 2, Kind::Triplet},
        {"40: triplet 32 only as near as plain 48", 96, 5, true, 40, 8, Kind::Plain},
        {"13: back to the beat", 96, 5, true, 13, -13, Kind::Plain},
        // division 96, crotchets only: every note-on goes back to its beat
        {"crotchets: 30", 96, 3, false, 30, -30, Kind::Plain},
        {"crotchets with triplets: 30 to 32", 96, 3, true, 30, 2, Kind::Triplet},
        // division 120 at level 6 (step 15, triplet step 20)
        {"120: 7 back to 0", 120, 7, true, 7, -7, Kind::Plain},
        {"120: 10 back to 0, triplet 0 no nearer", 120, 7, true, 10, -10, Kind::Plain},
        {"120: 18 to triplet 20", 120, 7, true, 18, 2, Kind::Triplet},
        {"120: 27 to 30, stronger than 15", 120, 7, true, 27, 3, Kind::Plain},
        // positions are taken modulo the period
        {"a later quarter", 96, 7, true, 96 * 5 + 7, 5, Kind::Plain},
        {"negative position", 96, 7, true, -4, 0, Kind::Plain},
        // offsets beyond 16 bits survive
        {"65535: far back to the beat", 65535, 7, true, 65534, -65534, Kind::Plain},
        {"65535: triplet nearer", 65535, 7, true, 30000, -8155, Kind::Triplet},
        {"65535: on a triplet point", 65535, 7, true, 43690, 0, Kind::Triplet},
    };
    for (const NoteOnCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QuantisationSettings q = grid(c.division, c.beat, c.triplets);
        EXPECT_EQ(q.noteOnOffset(c.position), c.offset);
        EXPECT_EQ(q.noteOnKind(c.position), c.kind);
    }
}

struct GridConfig {
    uint32_t division;
    uint8_t beat;
    bool triplets;
};

const std::vector<GridConfig> kConfigs = {
    {96, 7, true}, {96, 7, false}, {96, 5, true}, {96, 4, true}, {96, 3, true},
    {120, 7, true}, {120, 5, false}, {100, 7, true}, {480, 7, true}, {7, 5, true},
};

// Every entry leads to a point of the grid it names, a triplet entry only when
// that point is strictly nearer than both plain neighbours, and a plain entry
// to one of the two plain neighbours.
TEST(QuantisationSettingsNoteOn, EveryEntryLandsOnItsGrid) {
    for (const GridConfig& g : kConfigs) {
        SCOPED_TRACE(std::to_string(g.division) + " beat " + std::to_string(g.beat));
        const QuantisationSettings q = grid(g.division, g.beat, g.triplets);
        const int64_t s2 = q.plainStep();
        const int64_t s3 = q.tripletStep();
        ASSERT_GT(s2, 0);
        for (int64_t t = 0; t < q.period(); ++t) {
            const int64_t target = t + q.noteOnOffset(t);
            const int64_t lo = t / s2 * s2;
            const int64_t nearestPlain = std::min(t - lo, lo + s2 - t);
            ASSERT_GE(target, 0) << t;
            ASSERT_LE(target, q.period()) << t;
            if (q.noteOnKind(t) == Kind::Triplet) {
                ASSERT_NE(s3, 0) << t;
                EXPECT_EQ(target % s3, 0) << t;
                EXPECT_LT(std::llabs(target - t), nearestPlain) << t;
            } else {
                EXPECT_TRUE(target == lo || (target == lo + s2 && lo != t)) << t;
            }
        }
    }
}

TEST(QuantisationSettingsNoteOn, PlainGridPointsNeverMove) {
    for (const GridConfig& g : kConfigs) {
        SCOPED_TRACE(std::to_string(g.division) + " beat " + std::to_string(g.beat));
        const QuantisationSettings q = grid(g.division, g.beat, g.triplets);
        for (int64_t t = 0; t < q.period(); t += q.plainStep()) {
            EXPECT_EQ(q.noteOnOffset(t), 0) << t;
            EXPECT_EQ(q.noteOnKind(t), Kind::Plain) << t;
        }
    }
}

TEST(QuantisationSettingsNoteOn, WithoutTripletsNoEntryIsTriplet) {
    for (uint32_t division : {96u, 120u, 480u, 65535u}) {
        const QuantisationSettings q = grid(division, 7, false);
        for (int64_t t = 0; t < q.period(); ++t)
            ASSERT_EQ(q.noteOnKind(t), Kind::Plain) << division << " at " << t;
    }
}

// ---- Tempo entries ---------------------------------------------------------

TEST(QuantisationSettingsTempo, StrongerNeighbourRegardlessOfTriplets) {
    const QuantisationSettings q = grid(96, 7, true);
    // Raw offsets; first quantising takes minStep off a positive one.
    EXPECT_EQ(q.tempoOffset(7), 5);  // 5 - 6: a tempo change at 7 moves to 6
    EXPECT_EQ(q.tempoOffset(4), -4);
    EXPECT_EQ(q.tempoOffset(8), 4);  // the note-on entry there is triplet 0
    EXPECT_EQ(q.noteOnOffset(8), 0);
    EXPECT_EQ(q.tempoOffset(9), 3);
    EXPECT_EQ(q.tempoOffset(12), 0);
    EXPECT_EQ(q.tempoOffset(96 + 17), -5);
    EXPECT_EQ(q.tempoOffset(-7), 0);
}

// A positive raw offset is always below minStep, so one subtraction of minStep
// leaves it at or below 0; and the tempo table is the plain note-on table.
TEST(QuantisationSettingsTempo, OffsetsStayWithinOneStep) {
    for (const GridConfig& g : kConfigs) {
        SCOPED_TRACE(std::to_string(g.division) + " beat " + std::to_string(g.beat));
        const QuantisationSettings q = grid(g.division, g.beat, g.triplets);
        const QuantisationSettings plain = grid(g.division, g.beat, false);
        for (int64_t t = 0; t < q.period(); ++t) {
            const int32_t raw = q.tempoOffset(t);
            ASSERT_LT(raw, q.minStep()) << t;
            ASSERT_GT(raw, -q.minStep()) << t;
            ASSERT_EQ(raw, plain.noteOnOffset(t)) << t;
        }
    }
}

// ---- Metric levels and helpers ---------------------------------------------

TEST(QuantisationSettingsMetric, LevelsOfPositions) {
    struct Case {
        int64_t t;
        uint32_t division;
        uint8_t level;
    };
    const std::vector<Case> cases = {
        {0, 96, 0},   {96, 96, 3},  {48, 96, 4},   {24, 96, 5},   {12, 96, 6},  {6, 96, 7},
        {1, 96, kNoLevel}, {8, 96, kNoLevel}, {384, 96, 1},  {15, 120, 6}, {7, 120, kNoLevel},
        {0, 0, kNoLevel}, {-6, 96, kNoLevel},
        {INT64_MAX, 96, kNoLevel},  // 16 t would overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(metricLevel(c.t, c.division), c.level) << c.t << " / " << c.division;
}

TEST(QuantisationSettingsMetric, StrongerPointTiesGoToTheEarlier) {
    struct Case {
        int64_t lo;
        int64_t hi;
        int64_t stronger;
    };
    const std::vector<Case> cases = {
        {6, 18, 6},   // both level 7
        {1, 2, 1},    // both off the sixty-fourth grid
        {6, 12, 12},  // 12 is level 6
        {0, 96, 0},   // the beat beats the next beat
        {90, 96, 96},
        {12, 12, 12},
    };
    for (const Case& c : cases)
        EXPECT_EQ(strongerGridPoint(c.lo, c.hi, 96), c.stronger) << c.lo << " " << c.hi;
}

TEST(QuantisationSettingsMetric, NoteValueTicks) {
    EXPECT_EQ(noteValueTicks(0, 96), 768);
    EXPECT_EQ(noteValueTicks(3, 96), 96);
    EXPECT_EQ(noteValueTicks(7, 96), 6);
    EXPECT_EQ(noteValueTicks(7, 120), 7);  // 7.5 rounds down
    EXPECT_EQ(noteValueTicks(0, 65535), 524280);
    EXPECT_EQ(noteValueTicks(8, 96), 0);
}

}  // namespace
}  // namespace vl
