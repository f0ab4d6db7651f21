// Ties across bar lines: where the proprietary note-offs and note-ons go
// around a bar marker, their order, strands and chord flags, the measurements
// of the pieces, counting, a second run, the event limits and cancelling.
// Cases are in data/cases/tie_location.txt; the whole-set step follows here.

#include "analysis/tie_location.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/bar_line_location.h"
#include "analysis/duration_assessment.h"
#include "markers/marker_events.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// Bar markers and durations: the state of a track when the step runs.
MidiTrack prepared(MidiTrack track) {
    ProgressReporter quiet;  // no host window: nothing is sent, never cancelled
    locateBarLinesInTrack(track, false, quiet);
    assessTrack(track, quiet);
    return track;
}

TEST(TieLocation, notes_are_split_at_bar_lines_as_their_cases_say) {
    for (const Case& c : readCases("tie_location")) {
        SCOPED_TRACE(where("tie_location", c));
        FakeHost host;
        host.cancelFromPercent(static_cast<int32_t>(c.number("cancel-from", 1000)));
        MidiTrack t = trackFromText(c["in"]);
        if (!c.has("raw")) t = prepared(std::move(t));
        const size_t before = t.size();
        const auto limit = static_cast<size_t>(c.number("ties", kMaxTieEventsPerTrack));
        const StepResult r = markTiesInTrack(t, host.progress, limit);
        const std::string after = trackText(t, true);
        if (c.has("out")) {
            EXPECT_EQ(after, c.oneLine("out"));
        }
        EXPECT_EQ(std::to_string(r.count) + ' ' + std::to_string(r.cancelled) + ' ' +
                      std::to_string(t.size() - before),
                  c["result"]);
        if (r.cancelled || c.has("ties")) continue;
        EXPECT_EQ(markTiesInTrack(t, host.progress).count, r.count);
        EXPECT_EQ(trackText(t, true), after) << "a second run changed the track";
    }
}

TEST(TieLocation, a_note_without_note_off_is_split_at_every_bar_line) {
    // A stuck note under 2000 bars of beats: every piece is one bar long but
    // the last, which has no note-off to be measured to.
    std::string text = "0 on 0 60";
    for (int beat = 1; beat <= 2000 * 4 + 2; ++beat)
        text += ", " + std::to_string(beat * 96) + " st b0 01";
    MidiTrack t = prepared(trackFromText(text));
    ProgressReporter quiet;
    EXPECT_EQ(markTiesInTrack(t, quiet).count, 2001);
    std::string lengths;
    for (const MidiEvent& e : t.events)
        if (isProprietaryNoteOn(e) && e.duration2 != 384) lengths += std::to_string(e.duration2);
    EXPECT_EQ(lengths, "0");
}

// Notes held from tick 0 across 2^28 ticks at division 1 (bars of 4 ticks).
MidiTrack notesHeldForever() {
    return trackFromText("0 on 0 60, 0 on 0 61, 0 on 0 62, 268435456 off 0 60, "
                         "268435456 off 0 61, 268435456 off 0 62", 1);
}

TEST(TieLocation, the_set_step_stops_at_the_track_budget) {
    // Three keys take six events per bar line; the budget (counted from the
    // note-ons) runs out after floor(budget / 6) bar lines.
    TrackSet set;
    set.appendTrack(notesHeldForever());
    ProgressReporter quiet;
    ASSERT_FALSE(locateBarLines(set, false, quiet, "Locating bar-lines...").cancelled);
    assessTrack(set.tracks[0], quiet);
    const size_t before = set.tracks[0].size();
    markTies(set, quiet, "Locating ties across bar lines...");
    const size_t budget = kTieEventAllowance + 3 * kTieEventsPerNote;
    EXPECT_EQ(set.tracks[0].size() - before, budget / 6 * 6);
}

class TieLocationStep : public HostTest {};

TEST_F(TieLocationStep, sums_the_tracks_and_reports_cancel) {
    TrackSet set;
    set.appendTrack(prepared(trackFromText("192 on 0 60, 1344 off 0 60")));
    set.appendTrack(prepared(trackFromText("192 on 0 60, 1344 off 0 60")));
    const StepResult r = markTies(set, reporter, "Locating ties across bar lines...");
    EXPECT_EQ(r.count, 8);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(set.tracks[1].size(), 12u);
    host.cancelFromPercent(0);
    EXPECT_TRUE(markTies(set, reporter, "Locating ties across bar lines...").cancelled);
}

}  // namespace
}  // namespace vl::test
