// Note-duration assessment: sounding length and gap of notes, what ends a gap,
// saturation, the assessment of one note, the re-assessment of one event and
// of one bar, and cancelling. Cases are in data/cases/duration_assessment.txt.

#include "analysis/duration_assessment.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// Flag 0x8000 and durations that no assessment writes.
void scribble(MidiTrack& track) {
    for (MidiEvent& e : track.events) {
        e.orFlags(flag::Output);
        e.duration1 = 7777;
        e.duration2 = 5555;
    }
}

// The results of op at each position in the case's `at`, space-separated.
std::string runAt(const Case& c, MidiTrack& t) {
    std::istringstream at(c["at"]);
    std::string out;
    for (size_t i = 0; at >> i;) {
        const EventPos p = posAt(t, i);
        const bool wrote = c["op"] == "note" ? assessNote(t, p) : reassessEvent(t, p);
        out += (out.empty() ? "" : " ") + std::to_string(wrote);
    }
    return out;
}

std::string run(const Case& c, MidiTrack& t, ProgressReporter& progress) {
    if (c["op"] == "assess") return std::to_string(!assessTrack(t, progress).cancelled);
    if (c["op"] == "bar") {
        reassessBar(t, posAt(t, static_cast<size_t>(c.number("at"))), c.number("back") != 0);
        return "";
    }
    return runAt(c, t);
}

TEST(DurationAssessment, assessments_leave_the_durations_of_their_cases) {
    for (const Case& c : readCases("duration_assessment")) {
        SCOPED_TRACE(where("duration_assessment", c));
        FakeHost host;
        host.cancelFromPercent(static_cast<int32_t>(c.number("cancel-from", 1000)));
        const MidiTrack clean = trackFromText(c["in"]);
        MidiTrack t = clean;
        if (c.has("scribble")) scribble(t);
        const std::string result = run(c, t, host.progress);
        EXPECT_EQ(trackText(t, true), c.oneLine("out"));
        if (c.has("result")) {
            EXPECT_EQ(result, c["result"]);
        }
        if (c["op"] != "assess" || c.has("cancel-from")) continue;
        MidiTrack perNote = clean;  // the per-note walk gives the same
        for (EventPos p = perNote.begin(); p != perNote.end(); ++p) assessNote(perNote, p);
        EXPECT_EQ(trackText(perNote, true), c.oneLine("out")) << "walked note by note";
    }
}

TEST(DurationAssessment, a_bar_dense_with_controllers_is_measured_whole) {
    // A note at the bar line, 3,000 controllers, a note at the end: measured
    // from the last note, the first one is written too.
    std::string text = "0 KQVLBAR, 0 on 0 60, 10 off 0 60";
    for (int64_t i = 0; i < 3000; ++i) text += ", " + std::to_string(20 + i / 8) + " st b0 01";
    MidiTrack t = trackFromText(text + ", 400 on 0 62, 410 off 0 62, 768 KQVLBAR");
    scribble(t);
    reassessBar(t, std::prev(t.end()), true);
    EXPECT_EQ(posAt(t, 1)->duration1, 400);
    EXPECT_EQ(posAt(t, t.size() - 3)->duration1, 368);
}

class DurationAssessmentStep : public HostTest {};

TEST_F(DurationAssessmentStep, assesses_every_track_of_the_set_and_reports_cancel) {
    TrackSet set;
    set.appendTrack(trackFromText("0 on 0 60, 96 off 0 60"));
    set.appendTrack(trackFromText("0 on 1 60, 48 off 1 60"));
    EXPECT_FALSE(assessDurations(set, reporter, "Assessing MIDI note durations...").cancelled);
    EXPECT_EQ(set.tracks[0].events.front().duration2, 96);
    EXPECT_EQ(set.tracks[1].events.front().duration2, 48);
    host.cancelFromPercent(0);
    EXPECT_TRUE(assessDurations(set, reporter, "Reassessing MIDI note durations...").cancelled);
}

}  // namespace
}  // namespace vl::test
