// Bar-line location: where bar markers land, bar lengths from time signatures,
// bar groups in the second mode, the guards against a bar length of 0 and
// against endless markers, and cancelling. Cases are in
// data/cases/bar_line_location.txt; the budgets of a whole set follow here.

#include "analysis/bar_line_location.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

size_t barCount(const MidiTrack& track) {
    return static_cast<size_t>(std::count_if(track.events.begin(), track.events.end(),
                                             [](const MidiEvent& e) {
                                                 return e.message.isBarMarker();
                                             }));
}

TEST(BarLineLocation, markers_land_where_their_cases_say) {
    for (const Case& c : readCases("bar_line_location")) {
        SCOPED_TRACE(where("bar_line_location", c));
        FakeHost host;
        host.cancelFromPercent(static_cast<int32_t>(c.number("cancel-from", 1000)));
        const auto division = static_cast<uint32_t>(c.number("division", 96));
        MidiTrack t = trackFromText(c["in"], division);
        size_t ties = 0;
        const StepResult r = locateBarLinesInTrack(
            t, c.number("groups") != 0, host.progress,
            static_cast<size_t>(c.number("max", kMaxBarMarkersPerTrack)),
            static_cast<size_t>(c.number("ties", -1)), &ties);
        EXPECT_EQ(trackText(t, true), c.oneLine(c.has("out") ? "out" : "in"));
        EXPECT_EQ(std::to_string(r.count) + ' ' + std::to_string(r.cancelled) + ' ' +
                      std::to_string(ties),
                  c["result"]);
    }
}

// Division 1: bars of 4 ticks under a note of 4e9 ticks.
MidiTrack hugeRest() {
    return trackFromText("0 on 0 60, 4000000000 off 0 60, 4000000001 st b0 01", 1);
}

TEST(BarLineLocation, an_endless_rest_stops_at_the_track_cap) {
    MidiTrack t = hugeRest();
    ProgressReporter quiet;
    EXPECT_EQ(locateBarLinesInTrack(t, false, quiet).count, kMaxBarMarkersPerTrack);
}

TEST(BarLineLocation, the_set_budget_counts_the_notes_of_every_track_and_is_shared) {
    // A conductor without notes and a two-note chord get one bar each; the
    // rest of the budget, which the three note-ons make, goes to the endless
    // rest. A second run counts the markers already there and adds none.
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 96 st b0 07"));
    set.appendTrack(trackFromText("0 on 0 60, 0 on 0 64, 10 off 0 60, 10 off 0 64"));
    set.appendTrack(hugeRest());
    ProgressReporter quiet;
    for (int run = 0; run < 2; ++run) {
        ASSERT_FALSE(locateBarLines(set, false, quiet, "Locating bar-lines...").cancelled);
        EXPECT_EQ(barCount(set.tracks[0]), 1u);
        EXPECT_EQ(barCount(set.tracks[1]), 1u);
        EXPECT_EQ(barCount(set.tracks[2]), kBarMarkerAllowance + 3 * kBarMarkersPerNote - 2);
    }
}

class BarLineLocationStep : public HostTest {};

TEST_F(BarLineLocationStep, marks_every_track_and_reports_cancel) {
    TrackSet set;
    set.appendTrack(trackFromText("0 on 0 60, 800 off 0 60"));
    set.appendTrack(trackFromText("0 on 0 60, 800 off 0 60"));
    EXPECT_FALSE(locateBarLines(set, false, reporter, "Locating bar-lines...").cancelled);
    for (const MidiTrack& t : set.tracks) EXPECT_EQ(barCount(t), 3u);
    host.cancelFromPercent(0);
    TrackSet again;
    again.appendTrack(trackFromText("0 on 0 60, 800 off 0 60"));
    EXPECT_TRUE(locateBarLines(again, false, reporter, "Locating bar-lines...").cancelled);
}

}  // namespace
}  // namespace vl::test
