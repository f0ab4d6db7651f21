// Ties across bar lines: where the proprietary note-offs and note-ons go around
// a bar marker, their order, strands and chord flags, the measurements of the
// pieces, notes crossing several bar lines, the bar-marker count, a second
// run, the event limit and cancelling. Tracks are built from absolute times,
// given bar markers by bar-line location and measured before the step, as in
// the transcription.

#include "analysis/tie_location.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/bar_line_location.h"
#include "analysis/duration_assessment.h"
#include "support/track_text.h"
#include "markers/marker_events.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::kBar;
using test::keySig;
using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::timeSig;
using test::TrackBuilder;
using test::trackFromText;
using test::trackText;

// One event as the later steps see it: absolute time, description, strand,
// chord-member flag and both duration words.
struct Row {
    int64_t time = 0;
    std::string what;
    int strand = -1;
    bool chordMember = false;
    int d1 = 0;
    int d2 = 0;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{" << r.time << ", \"" << r.what << "\", s" << r.strand
              << (r.chordMember ? " 0x80" : "") << ", " << r.d1 << "/" << r.d2 << "}";
}

std::vector<Row> rows(const MidiTrack& track) {
    std::vector<Row> out;
    int64_t time = 0;
    for (const MidiEvent& e : track.events) {
        time += e.time;
        out.push_back({time, test::describe(e.message), e.strand,
                       e.testFlags(flag::ChordMember), e.duration1, e.duration2});
    }
    return out;
}

// Bar markers, then strands on the real note-ons (strandOfChannel[channel]),
// then durations: the state of a track when the step runs.
MidiTrack prepare(MidiTrack track, const std::vector<int16_t>& strandOfChannel = {0}) {
    ProgressReporter quiet;  // no host window: nothing is sent, never cancelled
    bool cancelled = false;
    locateBarLinesInTrack(track, false, quiet, cancelled);
    for (MidiEvent& e : track.events) {
        const int c = e.message.channel();
        if (e.message.isChannelMessage() && e.message.isNoteOn() &&
            static_cast<size_t>(c) < strandOfChannel.size())
            e.strand = strandOfChannel[static_cast<size_t>(c)];
    }
    assessTrack(track, quiet);
    return track;
}

struct Marked {
    size_t barMarkers = 0;
    bool cancelled = false;
};

Marked markTrack(MidiTrack& track, size_t maxTieEvents = kMaxTieEventsPerTrack) {
    ProgressReporter quiet;
    Marked r;
    r.barMarkers = markTiesInTrack(track, quiet, r.cancelled, maxTieEvents);
    return r;
}

// ---- Where the pieces go and what they measure ------------------------------

TEST(TieLocation, WholeNoteHalfABarBeforeTheBarLineBecomesTwoHalves) {
    // note: 192 < bar 384 < 576; the next note of the strand at 672 ends the
    // second half's gap. At the bar line a key signature and a control change
    // stay ahead of the continuation; the note-on of key 64 follows it.
    MidiTrack t = prepare(trackFromText("192 on 0 60, 384 KS 2 0, 384 st b0 07, 384 on 0 64, "
                                        "480 off 0 64, 576 off 0 60, 672 on 0 67, 700 off 0 67"),
                          {3});
    const Marked r = markTrack(t);
    EXPECT_EQ(r.barMarkers, 2u);
    EXPECT_FALSE(r.cancelled);
    const std::vector<Row> expected = {
        {0, kBar},
        {192, "on 0 60", 3, false, 192, 192},
        {384, "KQVLEVT 80 3c", 3, false, 192, 192},
        {384, kBar},
        {384, "KS 2 0"},
        {384, "st b0 07"},
        {384, "KQVLEVT 90 3c", 3, false, 288, 192},
        {384, "on 0 64", 3, false, 288, 96},
        {480, "off 0 64", -1, false, 288, 96},
        {576, "off 0 60", -1, false, 288, 192},
        {672, "on 0 67", 3, false, 28, 28},
        {700, "off 0 67", -1, false, 28, 28},
    };
    EXPECT_EQ(rows(t), expected);
}

TEST(TieLocation, NoteEndingOnTheBarLineIsNotSplit) {
    // note: 0 < end = bar 384; its real note-off stays before the marker
    MidiTrack t = prepare(trackFromText("0 on 0 60, 384 off 0 60, 384 on 0 62, 480 off 0 62"));
    const std::vector<Row> before = rows(t);
    EXPECT_EQ(markTrack(t).barMarkers, 2u);
    EXPECT_EQ(rows(t), before);
}

TEST(TieLocation, ContinuationFollowsCopiedSignaturesAtTheBarLine) {
    // A time-signature marker copied from the first track and a real key
    // signature lie after the bar marker; the continuation follows both. The
    // 3/4 from 384 on puts the next bar line at 672.
    MidiTrack t = prepare(trackFromText("0 on 0 60, 384 KQVLMTA 58 03 02 18 08, 384 KS 254 0, "
                                        "384 on 0 62, 700 off 0 60, 700 off 0 62"));
    EXPECT_EQ(markTrack(t).barMarkers, 3u);
    EXPECT_EQ(trackText(t),
              "0 KQVLBAR, 0 on 0 60, 384 KQVLEVT 80 3c, 384 KQVLBAR, 384 KQVLMTA 58 03 02 18 08, "
              "384 KS 254 0, 384 KQVLEVT 90 3c, 384 on 0 62, 672 KQVLEVT 80 3c, 672 KQVLEVT 80 3e, "
              "672 KQVLBAR, 672 KQVLEVT 90 3c, 672 KQVLEVT 90 3e, 700 off 0 60, 700 off 0 62");
}

TEST(TieLocation, BarMarkerEndingTheTrackGetsNoteOffsOnly) {
    MidiTrack t = trackFromText("0 KQVLBAR, 0 on 0 60, 384 KQVLBAR");
    EXPECT_EQ(markTrack(t).barMarkers, 2u);
    EXPECT_EQ(trackText(t), "0 KQVLBAR, 0 on 0 60, 384 KQVLEVT 80 3c, 384 KQVLBAR");
}

TEST(TieLocation, NoteWithoutNoteOffIsSplitAtEveryBarLineAndItsLastPieceLeftUnmeasured) {
    // A stuck note under 2000 bars of beats: every full piece is one bar long;
    // the last has no note-off to be measured to.
    TrackBuilder b;
    b.at(0, noteOn(0, 60));
    constexpr int kBars = 2000;
    for (int beat = 1; beat <= kBars * 4 + 2; ++beat) b.at(beat * 96, cc(1));
    MidiTrack t = prepare(b.take());
    EXPECT_EQ(markTrack(t).barMarkers, static_cast<size_t>(kBars + 1));
    size_t pieces = 0;
    int64_t time = 0;
    int64_t lastPieceTime = -1;
    for (const MidiEvent& e : t.events) {
        time += e.time;
        if (!isProprietaryNoteOn(e)) continue;
        ++pieces;
        lastPieceTime = time;
        if (time < int64_t{kBars} * 384) EXPECT_EQ(e.duration2, 384) << "piece at " << time;
        else EXPECT_EQ(e.duration2, 0);
    }
    EXPECT_EQ(pieces, static_cast<size_t>(kBars));
    EXPECT_EQ(lastPieceTime, int64_t{kBars} * 384);
}

// ---- Order, strands and chord flags ------------------------------------------

TEST(TieLocation, ChordOfOneStrandGivesThreeOffsAndThreeOnsInKeyOrder) {
    // Keys sounded in descending order; the pieces come out ascending.
    MidiTrack t = prepare(trackFromText("0 on 0 67, 0 on 0 64, 0 on 0 60, 480 off 0 60, "
                                        "480 off 0 64, 480 off 0 67"),
                          {1});
    markTrack(t);
    const std::vector<Row> all = rows(t);
    ASSERT_EQ(all.size(), 14u);
    const std::vector<Row> atBarLine(all.begin() + 4, all.begin() + 11);
    const std::vector<Row> expected = {
        {384, "KQVLEVT 80 3c", 1, false, 384, 384},
        {384, "KQVLEVT 80 40", 1, false, 384, 384},
        {384, "KQVLEVT 80 43", 1, false, 384, 384},
        {384, kBar},
        {384, "KQVLEVT 90 3c", 1, false, 96, 96},
        {384, "KQVLEVT 90 40", 1, true, 96, 96},
        {384, "KQVLEVT 90 43", 1, true, 96, 96},
    };
    EXPECT_EQ(atBarLine, expected);
}

TEST(TieLocation, NotesOnSeveralChannelsAreOrderedByKeyThenChannel) {
    // Each channel its own strand, so no continuation is a chord member.
    MidiTrack t = prepare(trackFromText("0 on 2 60, 0 on 0 64, 0 on 1 60, 100 on 3 59, "
                                        "420 off 0 64, 420 off 1 60, 420 off 2 60, 420 off 3 59"),
                          {10, 11, 12, 13});
    markTrack(t);
    std::vector<std::string> atBarLine;
    std::vector<int> strands;
    for (const Row& r : rows(t)) {
        if (r.time != 384) continue;
        atBarLine.push_back(r.what);
        strands.push_back(r.strand);
        EXPECT_FALSE(r.chordMember) << r;
    }
    const std::vector<std::string> expected = {
        "KQVLEVT 83 3b", "KQVLEVT 81 3c", "KQVLEVT 82 3c", "KQVLEVT 80 40", kBar,
        "KQVLEVT 93 3b", "KQVLEVT 91 3c", "KQVLEVT 92 3c", "KQVLEVT 90 40"};
    EXPECT_EQ(atBarLine, expected);
    EXPECT_EQ(strands, (std::vector<int>{13, 11, 12, 10, -1, 13, 11, 12, 10}));
}

// ---- Counting, a second run, the limit -----------------------------------------

MidiTrack shortNotesInTwelveBars() {
    TrackBuilder b;
    for (int bar = 0; bar < 12; ++bar) {
        const uint8_t key = static_cast<uint8_t>(60 + bar);
        b.at(bar * 384, noteOn(0, key)).at(bar * 384 + 96, noteOff(0, key));
    }
    return b.take();
}

// Eleven notes, each from the middle of a bar to the middle of the next.
MidiTrack notesOverElevenBarLines() {
    TrackBuilder b;
    b.at(192, noteOn(0, 60));
    for (int bar = 1; bar < 12; ++bar) {
        b.at(bar * 384 + 192, noteOff(0, static_cast<uint8_t>(59 + bar)));
        if (bar < 11) b.at(bar * 384 + 192, noteOn(0, static_cast<uint8_t>(60 + bar)));
    }
    return b.take();
}

TEST(TieLocation, CountsEveryBarMarkerWhetherOrNotANoteIsSplit) {
    struct Case {
        const char* name;
        MidiTrack (*build)();
        size_t piecesInserted;
    };
    for (const Case& c : {Case{"no note held", shortNotesInTwelveBars, 0},
                          Case{"a note held over 11 bar lines", notesOverElevenBarLines, 22}}) {
        MidiTrack t = prepare(c.build());
        const size_t before = t.size();
        EXPECT_EQ(markTrack(t).barMarkers, 12u) << c.name;
        EXPECT_EQ(t.size() - before, c.piecesInserted) << c.name;
    }
}

TEST(TieLocation, SecondRunInsertsNothing) {
    MidiTrack t = prepare(trackFromText("0 on 0 60, 0 on 0 64, 200 on 1 50, 384 st b0 03, "
                                        "1000 off 0 60, 1000 off 0 64, 1100 off 1 50"),
                          {0, 1});
    const Marked first = markTrack(t);
    const std::vector<Row> once = rows(t);
    const Marked second = markTrack(t);
    EXPECT_EQ(first.barMarkers, 3u);
    EXPECT_EQ(second.barMarkers, 3u);
    EXPECT_EQ(rows(t), once);
}

TEST(TieLocation, PastTheEventLimitNotesAreNoLongerSplit) {
    // Room for two bar lines of one note (two events each): the third bar line
    // passes unsplit, and the continuation after the second is measured to the
    // real note-off.
    MidiTrack t = prepare(trackFromText("0 on 0 60, 1300 off 0 60"));
    EXPECT_EQ(markTrack(t, 4).barMarkers, 4u);
    const std::vector<Row> expected = {
        {0, kBar},
        {0, "on 0 60", 0, false, 384, 384},
        {384, "KQVLEVT 80 3c", 0, false, 384, 384},
        {384, kBar},
        {384, "KQVLEVT 90 3c", 0, false, 384, 384},
        {768, "KQVLEVT 80 3c", 0, false, 384, 384},
        {768, kBar},
        {768, "KQVLEVT 90 3c", 0, false, 532, 532},
        {1152, kBar},
        {1300, "off 0 60", -1, false, 532, 532},
    };
    EXPECT_EQ(rows(t), expected);
}

// Notes held from tick 0 across a delta of 2^28 ticks at division 1 (bars of
// 4 ticks): far more bar lines than any budget allows.
MidiTrack notesHeldForever(int keys) {
    TrackBuilder b;
    for (int k = 0; k < keys; ++k) b.at(0, noteOn(0, 60 + k));
    for (int k = 0; k < keys; ++k) b.at(int64_t{1} << 28, noteOff(0, 60 + k));
    MidiTrack t = b.take();
    t.division = 1;
    return t;
}

TEST(TieLocation, WholeSetStepStopsAtTheTrackBudget) {
    // Three keys take six events per bar line; the budget runs out after
    // floor(budget / 6) bar lines, well before the bar markers do.
    TrackSet set;
    set.appendTrack(notesHeldForever(3));
    ProgressReporter quiet;
    ASSERT_TRUE(locateBarLines(set, false, quiet, "Locating bar-lines..."));
    assessTrack(set.tracks[0], quiet);
    const size_t before = set.tracks[0].size();
    const size_t budget = kTieEventAllowance + 3 * kTieEventsPerNote;  // note-offs do not count
    vl::markTies(set, quiet, "Locating ties across bar lines...");
    EXPECT_EQ(set.tracks[0].size() - before, budget / 6 * 6);
}

// ---- Progress and cancel ---------------------------------------------------------

class TieLocationProgress : public test::HostTest {};

MidiTrack noteOverThreeBarLines() {
    return prepare(trackFromText("192 on 0 60, 1344 off 0 60"));
}

TEST_F(TieLocationProgress, CancelKeepsThePiecesPlacedSoFar) {
    MidiTrack t = noteOverThreeBarLines();
    // Six events (bars at 0, 384, 768, 1152, the note-on and its note-off):
    // index i reports (i + 1) * 100 / 6 percent, so the walk stops before the
    // bar marker at 768 (index 3, 66 percent).
    ASSERT_EQ(t.size(), 6u);
    host.cancelFromPercent(60);
    bool cancelled = false;
    EXPECT_EQ(markTiesInTrack(t, reporter, cancelled), 2u);
    EXPECT_TRUE(cancelled);
    // The continuation after 384 is measured to the real note-off, since the
    // split that would have measured it never comes.
    const std::vector<Row> expected = {
        {0, kBar},
        {192, "on 0 60", 0, false, 192, 192},
        {384, "KQVLEVT 80 3c", 0, false, 192, 192},
        {384, kBar},
        {384, "KQVLEVT 90 3c", 0, false, 960, 960},
        {768, kBar},
        {1152, kBar},
        {1344, "off 0 60", -1, false, 960, 960},
    };
    EXPECT_EQ(rows(t), expected);
}

TEST_F(TieLocationProgress, WholeSetStepSumsTheTracksAndReportsCancel) {
    TrackSet set;
    set.appendTrack(noteOverThreeBarLines());
    set.appendTrack(noteOverThreeBarLines());
    bool cancelled = true;
    EXPECT_EQ(vl::markTies(set, reporter, "Locating ties across bar lines...", &cancelled), 8);
    EXPECT_FALSE(cancelled);
    for (const MidiTrack& tr : set.tracks) EXPECT_EQ(tr.size(), 12u);

    TrackSet again;
    again.appendTrack(noteOverThreeBarLines());
    host.cancelFromPercent(0);
    vl::markTies(again, reporter, "Locating ties across bar lines...", &cancelled);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(again.tracks[0].size(), 6u);
}

}  // namespace
}  // namespace vl
