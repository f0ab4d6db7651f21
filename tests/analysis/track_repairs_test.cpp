// Duplicate-track removal, track-length equalising and the initial delay on
// sets of tracks. Cases are in data/cases/track_repairs.txt.

#include "analysis/track_repairs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "midi/swing_statistics.h"
#include "support/case_file.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// One track a line.
TrackSet setOf(const std::string& lines, uint32_t division = 96) {
    TrackSet set;
    set.division = division;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) set.appendTrack(trackFromText(line));
    return set;
}

std::string textOf(const TrackSet& set) {
    std::string out;
    for (const MidiTrack& t : set.tracks) out += (out.empty() ? "" : "\n") + trackText(t);
    return out;
}

TEST(TrackRepairs, each_repair_leaves_the_tracks_and_result_of_its_case) {
    for (const Case& c : readCases("track_repairs")) {
        SCOPED_TRACE(where("track_repairs", c));
        TrackSet set = setOf(c["tracks"], static_cast<uint32_t>(c.number("division", 96)));
        const std::string op = c["op"];
        int64_t result = 0;
        if (op == "duplicates") result = removeDuplicateTracks(set);
        if (op == "lengths") result = equaliseTrackLengths(set);
        if (op == "delay") result = computeInitialDelay(set);
        if (op == "remove") removeInitialDelay(set, c.number("delay"));
        EXPECT_EQ(textOf(set), c.has("out") ? c["out"] : c["tracks"]);
        EXPECT_EQ(result, c.number("result"));
    }
}

TEST(TrackRepairs, no_tracks_give_no_delay) { EXPECT_EQ(computeInitialDelay(TrackSet{}), 0); }

TEST(TrackRepairs, beat_length_for_each_denominator_power) {
    const uint32_t expected[] = {384, 192, 96, 48, 24, 12, 6, 6, 6};
    for (uint8_t dd = 0; dd < 9; ++dd) EXPECT_EQ(beatLength(96, dd), expected[dd]) << int{dd};
    EXPECT_EQ(beatLength(0, 2), 0u);
}

TEST(TrackRepairs, removing_the_delay_gathers_the_swing_statistics_again) {
    // Note-ons on odd sixteenths (24 ticks at division 96) land on even ones.
    TrackSet set = setOf("24 on 0 60, 72 on 0 62, 120 on 0 64");
    computeSwingStatistics(set.tracks[0]);
    const SwingStatistics before = set.tracks[0].swing;
    removeInitialDelay(set, 24);
    MidiTrack fresh = set.tracks[0];
    computeSwingStatistics(fresh);
    EXPECT_EQ(set.tracks[0].swing.count, fresh.swing.count);
    EXPECT_NE(set.tracks[0].swing.count, before.count);
}

}  // namespace
}  // namespace vl::test
