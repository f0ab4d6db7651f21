// The quantisation grid: level and steps from the division and the requested
// beat, where each position's note-on and tempo entries lead, the metric
// levels behind the choice, and a rebuild. Cases are in
// data/cases/quantisation_settings.txt; a property test checks every position.

#include "analysis/quantisation_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "analysis/grid_case.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

using Kind = QuantisationSettings::GridKind;

QuantisationSettings grid(uint32_t division, unsigned beat, bool triplets) {
    return QuantisationSettings(division, static_cast<uint8_t>(beat), 0,
                                triplets ? kQuantiseTriplets : 0);
}

std::string run(const Case& c) {
    const QuantisationSettings q = gridOf(c);
    const std::string op = c["op"];
    std::istringstream at(c.has("at") ? c["at"] : "");
    int64_t t = 0;
    at >> t;
    const auto division = static_cast<uint32_t>(c.number("division"));
    std::ostringstream out;
    if (op == "shape")
        out << q.isBuilt() << ' ' << q.period() << ' ' << int{q.level()} << ' ' << q.minStep()
            << ' ' << q.plainStep() << ' ' << q.tripletStep();
    if (op == "note-on")
        out << q.noteOnOffset(t) << (q.noteOnKind(t) == Kind::Triplet ? " triplet" : " plain");
    if (op == "tempo") out << q.tempoOffset(t);
    if (op == "metric") out << int{metricLevel(t, division)};
    if (op == "stronger") {
        int64_t hi = 0;
        at >> hi;
        out << strongerGridPoint(t, hi, 96);
    }
    if (op == "note-value") out << noteValueTicks(static_cast<uint8_t>(t), division);
    return out.str();
}

TEST(QuantisationSettings, grids_and_lookups_give_the_results_of_their_cases) {
    for (const Case& c : readCases("quantisation_settings")) {
        SCOPED_TRACE(where("quantisation_settings", c));
        EXPECT_EQ(run(c), c["result"]);
    }
}

// Every note-on entry leads to a point of the grid it names: a triplet point
// only when strictly nearer than both plain neighbours, else one of those;
// plain points stay; the tempo entries are the plain note-on entries.
TEST(QuantisationSettings, every_entry_lands_on_its_grid) {
    const struct {
        uint32_t division;
        unsigned beat;
        bool triplets;
    } configs[] = {{96, 7, true},  {96, 7, false},  {96, 5, true},  {96, 4, true},
                   {96, 3, true},  {120, 7, true},  {120, 5, false}, {100, 7, true},
                   {480, 7, true}, {7, 5, true},    {65535, 7, false}};
    for (const auto& g : configs) {
        SCOPED_TRACE(std::to_string(g.division) + " beat " + std::to_string(g.beat));
        const QuantisationSettings q = grid(g.division, g.beat, g.triplets);
        const QuantisationSettings plain = grid(g.division, g.beat, false);
        const int64_t s2 = q.plainStep();
        const int64_t s3 = q.tripletStep();
        ASSERT_GT(s2, 0);
        for (int64_t t = 0; t < q.period(); ++t) {
            const int64_t target = t + q.noteOnOffset(t);
            const int64_t lo = t / s2 * s2;
            if (q.noteOnKind(t) == Kind::Triplet) {
                ASSERT_TRUE(g.triplets && s3 != 0) << t;
                EXPECT_EQ(target % s3, 0) << t;
                EXPECT_LT(std::llabs(target - t), std::min(t - lo, lo + s2 - t)) << t;
            } else {
                ASSERT_TRUE(target == lo || (target == lo + s2 && lo != t)) << t;
            }
            ASSERT_EQ(q.tempoOffset(t), plain.noteOnOffset(t)) << t;
            ASSERT_LT(q.tempoOffset(t), q.minStep()) << t;
            ASSERT_GT(q.tempoOffset(t), -q.minStep()) << t;
        }
    }
}

TEST(QuantisationSettings, a_rebuild_replaces_the_old_grid_and_swing) {
    QuantisationSettings q = grid(96, 7, true);
    q.setSwingDetected(16);
    q.build(96, 3, 1, 0);
    EXPECT_EQ(q.liveInput(), 1u);
    EXPECT_EQ(q.swingDetected(), 0);
    EXPECT_EQ(q.noteOnOffset(30), -30);  // the crotchet grid now
    q.build(0, 7, 0, kQuantiseTriplets);
    EXPECT_FALSE(q.isBuilt());
    EXPECT_EQ(q.noteOnOffset(4), 0);
    EXPECT_EQ(q.tempoOffset(7), 0);
}

}  // namespace
}  // namespace vl::test
