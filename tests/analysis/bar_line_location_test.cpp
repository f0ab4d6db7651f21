// Bar-line location: where bar markers land (before and after events on the
// bar line, leading meta events, long rests), bar lengths from time
// signatures, bar groups in the second mode, the guards against a bar length
// of 0 and against endless markers, and cancelling. Expectations list whole
// tracks with absolute times, so a wrong delta anywhere shows up.

#include "analysis/bar_line_location.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "support/track_text.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::kBar;
using test::listTrack;
using test::metaBytes;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::timeSig;
using test::TrackBuilder;
using test::trackFromText;
using test::trackText;

struct Located {
    size_t count = 0;
    bool cancelled = false;
};

Located locate(MidiTrack& track, bool withBarGroups = false,
               size_t maxBarMarkers = kMaxBarMarkersPerTrack) {
    ProgressReporter quiet;  // no host window: nothing is sent, never cancelled
    Located r;
    r.count = locateBarLinesInTrack(track, withBarGroups, quiet, r.cancelled, maxBarMarkers);
    return r;
}

std::vector<int64_t> barTimes(const MidiTrack& track) {
    std::vector<int64_t> out;
    for (const Timed& t : listTrack(track))
        if (t.what == kBar) out.push_back(t.time);
    return out;
}

// ---- Where the markers go ------------------------------------------------

TEST(BarLineLocation, NoteOffOnTheBarLineStaysBeforeTheMarker) {
    // division 96, no time signature: 4/4, bars of 384
    MidiTrack t = trackFromText("0 on 0 60, 384 off 0 60, 384 on 0 62, 400 on0 0 62");
    const Located r = locate(t);
    EXPECT_EQ(r.count, 2u);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(trackText(t),
              "0 KQVLBAR, 0 on 0 60, 384 off 0 60, 384 KQVLBAR, 384 on 0 62, 400 off 0 62");
}

TEST(BarLineLocation, EveryOtherEventOnTheBarLineFollowsTheMarker) {
    // A velocity-0 note-on counts as a real note-off; a control change does not.
    MidiTrack t = trackFromText("0 on 0 60, 0 on 1 40, 384 on0 1 40, 384 st b0 07, 384 off 0 60");
    locate(t);
    EXPECT_EQ(trackText(t), "0 KQVLBAR, 0 on 0 60, 0 on 1 40, 384 off 1 40, 384 KQVLBAR, "
                            "384 st b0 07, 384 off 0 60");
}

TEST(BarLineLocation, LeadingEventsAtTickZeroStayBeforeTheFirstMarker) {
    const uint8_t name[] = {'P', 'n', 'o'};
    MidiTrack t = TrackBuilder()
                      .at(0, MidiMessage::metaEvent(3, 3, name))
                      .at(0, metaBytes(meta::Tempo, {0x07, 0xA1, 0x20}))
                      .at(0, test::keySig(1, 0))
                      .at(0, timeSig(4, 2))
                      .at(0, noteOff(0, 10))  // no note-on: not the start of the music
                      .at(0, noteOn(0, 60))
                      .at(96, noteOff(0, 60))
                      .take();
    EXPECT_EQ(locate(t).count, 1u);
    EXPECT_EQ(trackText(t),
              "0 st ff 03, 0 st ff 51, 0 KS 1 0, 0 TS 4 2, 0 off 0 10, 0 KQVLBAR, 0 on 0 60, "
              "96 off 0 60");
}

TEST(BarLineLocation, FirstEventAfterTickZeroStartsTheMusicAtTickZero) {
    MidiTrack t = TrackBuilder()
                      .at(0, metaBytes(meta::Tempo, {0x07, 0xA1, 0x20}))
                      .at(100, cc(1))
                      .at(500, cc(2))
                      .take();
    EXPECT_EQ(locate(t).count, 2u);
    EXPECT_EQ(trackText(t), "0 st ff 51, 0 KQVLBAR, 100 st b0 01, 384 KQVLBAR, 500 st b0 02");
}

// (delta, description) of every event, for checks on the deltas themselves.
std::vector<std::pair<uint32_t, std::string>> deltas(const MidiTrack& track) {
    std::vector<std::pair<uint32_t, std::string>> out;
    for (const MidiEvent& e : track.events) out.emplace_back(e.time, test::describe(e.message));
    return out;
}

TEST(BarLineLocation, LongRestGetsOneMarkerPerBar) {
    // note: rest from 96 to 1200 crosses the bar lines at 384, 768 and 1152
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60))
                      .at(96, noteOff(0, 60))
                      .at(3 * 384 + 48, noteOn(0, 62))
                      .at(3 * 384 + 96, noteOff(0, 62))
                      .take();
    EXPECT_EQ(locate(t).count, 4u);
    const std::vector<std::pair<uint32_t, std::string>> expected = {
        {0, kBar}, {0, "on 0 60"}, {96, "off 0 60"}, {288, kBar},
        {384, kBar}, {384, kBar}, {48, "on 0 62"},  {48, "off 0 62"}};
    EXPECT_EQ(deltas(t), expected);
}

// ---- Bar lengths from time signatures --------------------------------------

struct LengthCase {
    const char* name;
    MidiMessage signature;
    uint32_t division;
    int64_t barLength;
};

TEST(BarLineLocation, TimeSignatureSetsTheBarLength) {
    const std::vector<LengthCase> cases = {
        {"3/4", timeSig(3, 2), 96, 288},
        {"6/8", timeSig(6, 3), 96, 288},
        {"3/8 at division 120", timeSig(3, 3), 120, 180},
        {"3/4 as a meta marker", timeSignatureMarkerMessage(3, 2, 24, 8), 96, 288},
        // A bar length of 0 is ignored: the 4/4 default stays.
        {"numerator 0", timeSig(0, 2), 96, 384},
        {"denominator power 7", timeSig(4, 7), 96, 384},
        {"1/64 at division 8 rounds to 0", timeSig(1, 6), 8, 32},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int64_t L = c.barLength;
        MidiTrack t = TrackBuilder()
                          .at(0, c.signature)
                          .at(0, noteOn(0, 60))
                          .at(3 * L + 1, noteOff(0, 60))
                          .take();
        t.division = c.division;
        EXPECT_EQ(locate(t).count, 4u);
        EXPECT_EQ(barTimes(t), (std::vector<int64_t>{0, L, 2 * L, 3 * L}));
    }
}

TEST(BarLineLocation, SignatureOnABarLineFollowsTheMarkerAndGovernsTheNextBars) {
    MidiTrack t = trackFromText("0 on 0 60, 384 TS 3 2, 1000 off 0 60");
    locate(t);
    EXPECT_EQ(trackText(t), "0 KQVLBAR, 0 on 0 60, 384 KQVLBAR, 384 TS 3 2, 672 KQVLBAR, "
                            "960 KQVLBAR, 1000 off 0 60");
}

TEST(BarLineLocation, SignatureInsideABarChangesWhereThatBarEnds) {
    const struct {
        const char* name;
        const char* track;
        const char* expected;
    } cases[] = {
        // note: 192 gone < new length 576: the bar just ends later
        {"lengthened to 6/4", "0 on 0 60, 192 TS 6 2, 700 off 0 60",
         "0 KQVLBAR, 0 on 0 60, 192 TS 6 2, 576 KQVLBAR, 700 off 0 60"},
        // note: 288 gone == new length 288: the bar line lies on the signature's tick,
        // placed with the next event, so after the signature
        {"shortened to exactly the time gone", "0 on 0 60, 288 TS 3 2, 700 off 0 60",
         "0 KQVLBAR, 0 on 0 60, 288 TS 3 2, 288 KQVLBAR, 576 KQVLBAR, 700 off 0 60"},
        // note: 288 gone > new length 192: the bar's end has passed, so the bar line
        // goes directly before the signature and the next bars count from there
        {"shortened below the time gone", "0 on 0 60, 288 TS 2 2, 700 off 0 60",
         "0 KQVLBAR, 0 on 0 60, 288 KQVLBAR, 288 TS 2 2, 480 KQVLBAR, 672 KQVLBAR, 700 off 0 60"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack t = trackFromText(c.track);
        locate(t);
        EXPECT_EQ(trackText(t), c.expected);
    }
}

// ---- Bar groups ------------------------------------------------------------

void setStrand(MidiTrack& t, size_t index, int16_t strand) {
    auto p = t.begin();
    std::advance(p, static_cast<std::ptrdiff_t>(index));
    p->strand = strand;
}

TEST(BarLineLocation, SecondModeSplitsSoundingNotesAtEveryBarLine) {
    // 55 ends on the bar line and 67 starts on it: neither is split.
    MidiTrack t = trackFromText("0 on 0 55, 0 on 0 60, 0 on 0 64, 192 on 1 50, 384 off 0 55, "
                                "384 on 0 67, 480 off 1 50, 480 off 0 64, 480 off 0 67, "
                                "800 off 0 60");
    setStrand(t, 0, 2);
    setStrand(t, 1, 2);
    setStrand(t, 2, 2);
    setStrand(t, 3, 3);
    setStrand(t, 5, 4);
    EXPECT_EQ(locate(t, true).count, 3u);
    ASSERT_EQ(trackText(t),
              "0 KQVLBAR, 0 on 0 55, 0 on 0 60, 0 on 0 64, 192 on 1 50, 384 off 0 55, "
              "384 KQVLEVT 81 32, 384 KQVLEVT 80 3c, 384 KQVLEVT 80 40, 384 KQVLBAR, "
              "384 KQVLEVT 91 32, 384 KQVLEVT 90 3c, 384 KQVLEVT 90 40, 384 on 0 67, "
              "480 off 1 50, 480 off 0 64, 480 off 0 67, "
              "768 KQVLEVT 80 3c, 768 KQVLBAR, 768 KQVLEVT 90 3c, 800 off 0 60");

    // Strands of the proprietary events and the chord-member flag of the second
    // note-on of strand 2.
    struct Annotation {
        int16_t strand;
        bool chordMember;
        bool operator==(const Annotation&) const = default;
    };
    std::vector<Annotation> annotations;
    for (const MidiEvent& e : t.events)
        if (isProprietaryNote(e)) annotations.push_back({e.strand, e.testFlags(flag::ChordMember)});
    const std::vector<Annotation> expectedAnnotations = {
        {3, false}, {2, false}, {2, false},  // note-offs at 384
        {3, false}, {2, false}, {2, true},   // note-ons at 384
        {2, false}, {2, false},              // at 768
    };
    EXPECT_EQ(annotations, expectedAnnotations);
}

// ---- Tracks that get nothing, and hostile input ------------------------------

TEST(BarLineLocation, TracksWithoutMusicGetNoMarker) {
    MidiTrack empty(96);
    EXPECT_EQ(locate(empty).count, 0u);
    EXPECT_TRUE(empty.empty());

    MidiTrack allAtZero = TrackBuilder()
                              .at(0, timeSig(3, 2))
                              .at(0, cc(7))
                              .at(0, noteOff(0, 60))
                              .at(0, metaBytes(meta::EndOfTrack, {}))
                              .take();
    const std::vector<Timed> before = listTrack(allAtZero);
    EXPECT_EQ(locate(allAtZero, true).count, 0u);
    EXPECT_EQ(listTrack(allAtZero), before);
}

TEST(BarLineLocation, DivisionZeroKeepsOnlyTheOpeningMarker) {
    MidiTrack t = trackFromText("0 on 0 60, 5000 TS 3 2, 9000 off 0 60");
    t.division = 0;
    EXPECT_EQ(locate(t).count, 1u);
    EXPECT_EQ(barTimes(t), (std::vector<int64_t>{0}));
}

// Division 1: bars of 4 ticks, and a note of 4e9 ticks would ask for a
// billion markers.
MidiTrack hugeRest() {
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60))
                      .at(4000000000LL, noteOff(0, 60))
                      .at(4000000001LL, cc(1))
                      .take();
    t.division = 1;
    return t;
}

TEST(BarLineLocation, MarkerCountIsCappedPerTrack) {
    MidiTrack t = hugeRest();
    EXPECT_EQ(locate(t, false, 10).count, 10u);
    std::vector<int64_t> expectedBars;
    for (int64_t b = 0; b < 10; ++b) expectedBars.push_back(4 * b);
    EXPECT_EQ(barTimes(t), expectedBars);
    // Every original event keeps its absolute time.
    const std::vector<Timed> rest = test::listTrackWithout(t, {kBar});
    const std::vector<Timed> expectedRest = {
        {0, "on 0 60"}, {4000000000LL, "off 0 60"}, {4000000001LL, "st b0 01"}};
    EXPECT_EQ(rest, expectedRest);

    MidiTrack withDefaultCap = hugeRest();
    EXPECT_EQ(locate(withDefaultCap).count, kMaxBarMarkersPerTrack);
}

TEST(BarLineLocation, SetBudgetCountsTheNotesOfEveryTrackAndIsSharedByThem) {
    // A conductor without notes and a two-note chord get one bar each; the
    // rest of the budget, which the three note-ons of the set make, goes to
    // the endless rest.
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 96 st b0 07"));
    set.appendTrack(trackFromText("0 on 0 60, 0 on 0 64, 10 off 0 60, 10 off 0 64"));
    set.appendTrack(hugeRest());
    ProgressReporter quiet;
    ASSERT_TRUE(locateBarLines(set, false, quiet, "Locating bar-lines..."));
    EXPECT_EQ(barTimes(set.tracks[0]).size(), 1u);
    EXPECT_EQ(barTimes(set.tracks[1]).size(), 1u);
    EXPECT_EQ(barTimes(set.tracks[2]).size(), kBarMarkerAllowance + 3 * kBarMarkersPerNote - 2);
}

TEST(BarLineLocation, SecondRunCountsTheMarkersAlreadyThere) {
    // One note and a rest of a billion bars: the set's budget, not the
    // per-track limit, decides, and a second run adds nothing.
    TrackSet set;
    set.appendTrack(hugeRest());
    const size_t budget = kBarMarkerAllowance + kBarMarkersPerNote;
    ASSERT_LT(budget, kMaxBarMarkersPerTrack);
    ProgressReporter quiet;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(locateBarLines(set, false, quiet, "Locating bar-lines..."));
        EXPECT_EQ(barTimes(set.tracks[0]).size(), budget) << "run " << run;
    }
}

TEST(BarLineLocation, BarGroupsBecomeLoneMarkersPastTheTieLimit) {
    // Two notes sounding: four tie events per bar line. A limit of 9 lets two
    // bar lines split them; the next ones get bare markers.
    MidiTrack t = trackFromText("0 on 0 60, 0 on 0 64, 1000 off 0 60, 1000 off 0 64");
    ProgressReporter quiet;
    bool cancelled = false;
    size_t tieEvents = 0;
    EXPECT_EQ(locateBarLinesInTrack(t, true, quiet, cancelled, kMaxBarMarkersPerTrack, 9,
                                    &tieEvents),
              3u);
    EXPECT_EQ(tieEvents, 8u);
    EXPECT_EQ(trackText(t),
              "0 KQVLBAR, 0 on 0 60, 0 on 0 64, "
              "384 KQVLEVT 80 3c, 384 KQVLEVT 80 40, 384 KQVLBAR, "
              "384 KQVLEVT 90 3c, 384 KQVLEVT 90 40, "
              "768 KQVLEVT 80 3c, 768 KQVLEVT 80 40, 768 KQVLBAR, "
              "768 KQVLEVT 90 3c, 768 KQVLEVT 90 40, "
              "1000 off 0 60, 1000 off 0 64");
}

// ---- Progress and cancel -----------------------------------------------------

class BarLineLocationProgress : public test::HostTest {};

MidiTrack threeBars() {
    return trackFromText("0 on 0 60, 96 off 0 60, 384 on 0 62, 480 off 0 62, 768 on 0 64, "
                         "864 off 0 64");
}

TEST_F(BarLineLocationProgress, CancelKeepsTheMarkersPlacedSoFar) {
    MidiTrack t = threeBars();
    // Six events: index i reports (i + 1) * 100 / 6 percent; index 3 is the
    // first at 60 or more, so the events at 0, 96 and 384 are walked.
    host.cancelFromPercent(60);
    bool cancelled = false;
    EXPECT_EQ(locateBarLinesInTrack(t, false, reporter, cancelled), 2u);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(barTimes(t), (std::vector<int64_t>{0, 384}));
}

TEST_F(BarLineLocationProgress, WholeSetStepReportsCancel) {
    TrackSet set;
    set.appendTrack(threeBars());
    set.appendTrack(threeBars());
    EXPECT_TRUE(locateBarLines(set, false, reporter, "Locating bar-lines..."));
    for (const MidiTrack& t : set.tracks)
        EXPECT_EQ(barTimes(t), (std::vector<int64_t>{0, 384, 768}));

    TrackSet again;
    again.appendTrack(threeBars());
    host.cancelFromPercent(0);
    EXPECT_FALSE(locateBarLines(again, false, reporter, "Locating bar-lines..."));
}

}  // namespace
}  // namespace vl
