// Note-duration assessment: sounding length and gap of single notes, what
// ends a gap (bar marker, next note of the channel and strand), saturation of
// the 16-bit words, the re-assessment of one note and of one bar, and the
// whole-track pass checked against the per-note walk on random tracks.

#include "analysis/duration_assessment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/track_text.h"
#include "markers/marker_text.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::kBar;
using test::noteOff;
using test::noteOn;
using test::posAt;
using test::TrackBuilder;
using test::trackFromText;

// duration1, duration2 and the 0x8000 flag of one event.
struct Durations {
    int d1;
    int d2;
    bool output = false;
    bool operator==(const Durations&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Durations& d) {
    return os << "{" << d.d1 << ", " << d.d2 << (d.output ? ", 0x8000}" : "}");
}

std::vector<Durations> durations(const MidiTrack& track) {
    std::vector<Durations> out;
    for (const MidiEvent& e : track.events)
        out.push_back({e.duration1, e.duration2, e.testFlags(flag::Output)});
    return out;
}

bool assess(MidiTrack& track) {
    ProgressReporter quiet;  // no host window: nothing is sent, never cancelled
    return assessTrack(track, quiet);
}

// Every event gets flag 0x8000 and durations that no assessment would write.
void scribble(MidiTrack& track) {
    for (MidiEvent& e : track.events) {
        e.orFlags(flag::Output);
        e.duration1 = 7777;
        e.duration2 = 5555;
    }
}

// ---- Single notes ----------------------------------------------------------

struct NoteCase {
    const char* name;
    MidiTrack track;
    std::vector<Durations> expected;  // per event, after assessTrack
};

MidiTrack withStrands(MidiTrack track, const std::vector<int16_t>& strands) {
    auto p = track.begin();
    for (int16_t s : strands) (p++)->strand = s;
    return track;
}

TEST(DurationAssessment, LengthAndGapOfEachNote) {
    const auto text = [](const char* items) { return trackFromText(items); };
    std::vector<NoteCase> cases = {
        {"note of 96, next note 48 after its note-off; the last note has no gap",
         text("0 on 0 60, 96 off 0 60, 144 on 0 62, 240 off 0 62"),
         {{144, 96}, {144, 96}, {96, 96}, {96, 96}}},
        {"a bar marker ends the gap before the next note",
         text("0 on 0 60, 96 off 0 60, 384 KQVLBAR, 400 on 0 62, 500 off 0 62"),
         {{384, 96}, {384, 96}, {0, 0}, {100, 100}, {100, 100}}},
        {"other channels, other events and note-offs do not end the gap",
         text("0 on 0 60, 50 on 1 40, 96 off 0 60, 100 st b0 07, 150 off 1 40, 200 on 0 64, "
              "210 off 0 64"),
         {{200, 96}, {100, 100}, {200, 96}, {0, 0}, {100, 100}, {10, 10}, {10, 10}}},
        // both note-ons end at 40; the shared note-off carries the later one's numbers
        {"the note-off of a note is the first one of its key; a note-on without note-off keeps 0",
         text("0 on 0 60, 10 on 0 60, 40 off 0 60, 60 off 0 60, 80 on 0 70"),
         {{80, 40}, {70, 30}, {70, 30}, {0, 0}, {0, 0}}},
        {"with strands the gap runs to the next note of the same strand",
         withStrands(text("0 on 0 60, 96 off 0 60, 120 on 0 48, 200 off 0 48, 300 on 0 62, "
                          "310 off 0 62"),
                     {0, -1, 1, -1, 0, -1}),
         {{300, 96}, {300, 96}, {80, 80}, {80, 80}, {10, 10}, {10, 10}}},
        {"a note-on at the note-off's tick but before it in the list does not end the gap",
         text("0 on 0 60, 96 on 0 62, 96 off 0 60, 150 off 0 62, 200 on 0 64, 201 off 0 64"),
         {{200, 96}, {104, 54}, {200, 96}, {104, 54}, {1, 1}, {1, 1}}},
        {"above 65535 ticks the words saturate",
         text("0 on 0 60, 70000 off 0 60, 80000 on 0 62, 140000 off 0 62, 150000 on 0 64, "
              "150001 off 0 64"),
         {{65535, 65535}, {65535, 65535}, {65535, 60000}, {65535, 60000}, {1, 1}, {1, 1}}},
    };
    for (NoteCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The per-note operation, on every event after clearing, gives the same.
        MidiTrack single = c.track;
        for (MidiEvent& e : single.events) e.clearDurations();
        for (EventPos p = single.begin(); p != single.end(); ++p) assessNote(single, p);
        EXPECT_EQ(durations(single), c.expected);

        scribble(c.track);
        EXPECT_TRUE(assess(c.track));
        EXPECT_EQ(durations(c.track), c.expected);
    }
}

TEST(DurationAssessment, AssessNoteReportsWhatItWrote) {
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60))
                      .at(96, noteOff(0, 60))
                      .marker(384, kBar)
                      .at(400, noteOn(0, 62))  // never ends
                      .at(400, cc(0, 1))
                      .take();
    scribble(t);
    EXPECT_TRUE(assessNote(t, posAt(t, 0)));
    EXPECT_FALSE(assessNote(t, posAt(t, 1)));  // a note-off is no note-on
    EXPECT_TRUE(assessNote(t, posAt(t, 2)));
    EXPECT_FALSE(assessNote(t, posAt(t, 3)));
    EXPECT_FALSE(assessNote(t, posAt(t, 4)));
    EXPECT_FALSE(assessNote(t, t.end()));
    const std::vector<Durations> expected = {
        {384, 96}, {384, 96}, {0, 0}, {7777, 5555, true}, {7777, 5555, true}};
    EXPECT_EQ(durations(t), expected);
}

// ---- Re-assessment ---------------------------------------------------------

TEST(DurationAssessment, ReassessingANoteOffMeasuresItsNoteAgain) {
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60))
                      .at(10, noteOn(0, 64))
                      .at(96, noteOff(0, 60))
                      .at(100, noteOff(0, 64))
                      .at(192, noteOn(0, 62))
                      .at(200, noteOff(0, 62))
                      .at(210, cc(0, 1))
                      .at(220, noteOff(0, 90))  // no note-on anywhere before it
                      .take();
    EXPECT_TRUE(assess(t));
    // The note-off of key 60 moves from 96 to 150, after the note-off of 64.
    MidiEvent off60 = *posAt(t, 2);
    t.erase(posAt(t, 2));
    t.insertBefore(posAt(t, 3), 42, off60);  // 42 ticks before the note-on at 192
    ASSERT_EQ(test::listTrack(t)[3], (test::Timed{150, "off 0 60"}));

    EXPECT_TRUE(reassessEvent(t, posAt(t, 3)));
    EXPECT_EQ(durations(t)[0], (Durations{192, 150}));
    EXPECT_EQ(durations(t)[3], (Durations{192, 150}));
    // The other note is untouched: its gap still ran to 192 from 100.
    EXPECT_EQ(durations(t)[1], (Durations{182, 90}));

    EXPECT_TRUE(reassessEvent(t, posAt(t, 4)));  // a note-on is assessed itself
    EXPECT_FALSE(reassessEvent(t, posAt(t, 6)));  // a control change
    EXPECT_FALSE(reassessEvent(t, posAt(t, 7)));  // a note-off without note-on
    EXPECT_FALSE(reassessEvent(t, t.end()));
}

// Three bars of notes; the tests scribble over every duration and then
// re-assess one bar.
MidiTrack threeBars() {
    return TrackBuilder()
        .marker(0, kBar)
        .at(0, noteOn(0, 60))
        .at(300, noteOff(0, 60))
        .marker(384, kBar)
        .at(384, noteOn(0, 62))
        .at(500, noteOff(0, 62))
        .at(600, noteOn(0, 64))
        .marker(768, kBar)
        .at(768, noteOn(0, 65))
        .at(800, noteOff(0, 64))  // ends in the third bar
        .at(900, noteOff(0, 65))
        .take();
}

TEST(DurationAssessment, ReassessBarRemeasuresOnlyThatBar) {
    // Indices: 0 bar, 1 on60, 2 off60, 3 bar, 4 on62, 5 off62, 6 on64,
    // 7 bar (768), 8 on65, 9 off64 (800), 10 off65 (900). The note of key 64
    // crosses into the third bar: its note-off, outside the bar, is written
    // too, and nothing after that note-off ends its gap.
    struct Case {
        const char* name;
        size_t position;
        bool stepBackFirst;
    };
    const std::vector<Case> cases = {
        {"from a note inside the bar", 5, false},
        {"from the bar's own marker", 3, false},
        {"stepping back from the marker that ends the bar", 7, true},
    };
    const Durations s{7777, 5555, true};
    const std::vector<Durations> expected = {
        s, s, s, {0, 0}, {216, 116}, {216, 116}, {200, 200}, s, s, {200, 200}, s};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = threeBars();
        ASSERT_EQ(test::listTrack(t)[7], (test::Timed{768, kBar}));
        scribble(t);
        reassessBar(t, posAt(t, c.position), c.stepBackFirst);
        EXPECT_EQ(durations(t), expected);
    }
}

TEST(DurationAssessment, ReassessBarLeavesTheNumbersOfNotesFromEarlierBars) {
    // The note-off of key 64 lies in the third bar, its note-on in the second:
    // the note is not re-measured, and its note-off keeps what it carries.
    MidiTrack t = threeBars();
    scribble(t);
    reassessBar(t, posAt(t, 10), false);
    const Durations s{7777, 5555, true};
    const std::vector<Durations> expected = {
        s, s, s, s, s, s, s, {0, 0}, {132, 132}, {7777, 5555, false}, {132, 132}};
    EXPECT_EQ(durations(t), expected);
}

TEST(DurationAssessment, ReassessBarFromTheFirstEventTakesTheFirstBar) {
    MidiTrack t = trackFromText("0 on 0 60, 100 off 0 60, 384 KQVLBAR, 384 on 0 62, 400 off 0 62");
    scribble(t);
    reassessBar(t, t.begin(), true);
    const Durations s{7777, 5555, true};
    const std::vector<Durations> expected = {{384, 100}, {384, 100}, s, s, s};
    EXPECT_EQ(durations(t), expected);
}

TEST(DurationAssessment, ReassessBarMeasuresAllOfABarDenseWithControllers) {
    // A note at the bar line, 3,000 controllers, a note at the end: measured
    // from the last note, the first one is written too.
    TrackBuilder b;
    b.marker(0, kBar).at(0, noteOn(0, 60)).at(10, noteOff(0, 60));
    for (int64_t i = 0; i < 3000; ++i) b.at(20 + i / 8, cc(0, 1));
    b.at(400, noteOn(0, 62)).at(410, noteOff(0, 62)).marker(768, kBar);
    MidiTrack t = b.take();
    scribble(t);
    reassessBar(t, std::prev(t.end()), true);
    const std::vector<Durations> d = durations(t);
    EXPECT_EQ(d[1], (Durations{400, 10}));
    EXPECT_EQ(d[d.size() - 3], (Durations{368, 10}));
}

// ---- Whole track against the per-note walk -----------------------------------

// A random track: notes on three channels and a few keys (overlapping notes of
// one key, velocity-0 note-offs, notes that never end, stray note-offs),
// proprietary notes, bar markers, control changes, random strands.
MidiTrack randomTrack(std::mt19937& rng, size_t events) {
    std::uniform_int_distribution<int> kindOf(0, 99);
    std::uniform_int_distribution<int> channelOf(0, 2);
    std::uniform_int_distribution<int> keyOf(60, 64);
    std::uniform_int_distribution<int> strandOf(-1, 2);
    std::uniform_int_distribution<int> deltaOf(0, 60);
    MidiTrack t(96);
    for (size_t i = 0; i < events; ++i) {
        const int k = kindOf(rng);
        const auto channel = static_cast<uint8_t>(channelOf(rng));
        const auto key = static_cast<uint8_t>(keyOf(rng));
        MidiMessage m;
        if (k < 35)
            m = noteOn(channel, key);
        else if (k < 60)
            m = noteOff(channel, key);
        else if (k < 70)
            m = MidiMessage::channel(kind::NoteOn, channel, key, 0);
        else if (k < 78)
            m = proprietaryNoteMessage(k < 74, channel, key);
        else if (k < 86)
            m = MidiMessage::markerText(kBar);
        else
            m = cc(channel, 1);
        MidiEvent e(static_cast<uint32_t>(deltaOf(rng) < 20 ? 0 : deltaOf(rng)), m);
        e.strand = static_cast<int16_t>(strandOf(rng));
        if (k % 3 == 0) e.orFlags(flag::Output);
        t.append(e);
    }
    return t;
}

TEST(DurationAssessment, TrackPassMatchesThePerNoteWalkOnRandomTracks) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        MidiTrack fast = randomTrack(rng, 10 + static_cast<size_t>(round) * 2);
        MidiTrack reference = fast;
        EXPECT_TRUE(assess(fast));
        for (MidiEvent& e : reference.events) e.clearDurations();
        for (EventPos p = reference.begin(); p != reference.end(); ++p) assessNote(reference, p);
        ASSERT_EQ(durations(fast), durations(reference));
    }
}

// ---- Progress and cancel -----------------------------------------------------

class DurationAssessmentProgress : public test::HostTest {};

TEST_F(DurationAssessmentProgress, CancelStopsTheTrackWhereItIs) {
    MidiTrack t = trackFromText("0 on 0 60, 96 off 0 60, 192 on 0 62, 288 off 0 62");
    scribble(t);
    // Four events: index 2 is the first at 75 percent.
    host.cancelFromPercent(75);
    EXPECT_FALSE(assessTrack(t, reporter));
    const Durations s{7777, 5555, true};
    const std::vector<Durations> expected = {{192, 96}, {192, 96}, s, s};
    EXPECT_EQ(durations(t), expected);
}

TEST_F(DurationAssessmentProgress, WholeSetStep) {
    TrackSet set;
    set.appendTrack(trackFromText("0 on 0 60, 96 off 0 60"));
    set.appendTrack(trackFromText("0 on 1 60, 48 off 1 60"));
    EXPECT_TRUE(assessDurations(set, reporter, "Assessing MIDI note durations..."));
    EXPECT_EQ(set.tracks[0].events.front().duration2, 96);
    EXPECT_EQ(set.tracks[1].events.front().duration2, 48);

    host.cancelFromPercent(0);
    EXPECT_FALSE(assessDurations(set, reporter, "Reassessing MIDI note durations..."));
}

}  // namespace
}  // namespace vl
