// Triplets and swing on hand-built strands (division 96, 4/4, bar markers
// every 384 ticks, durations assessed before each pass): the swing pass's
// semiquaver slots, the triplet groups that are accepted or rejected, the
// placeholder rests and splits at a group's edges, and the strand drivers.

#include "notation/triplets_and_swing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/quantisation_settings.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "notation/strand_notes.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::listTrack;
using test::posAt;
using test::Timed;

constexpr uint16_t kTriplet = 0x20;
constexpr uint16_t kChord = 0x80;
constexpr int64_t kBarTicks = 384;

using Note = test::StrandNote;
using test::strandTrack;

Note cand(int64_t on, int64_t off, uint8_t key = 60) { return {on, off, key, kTriplet, 0}; }

// Every note-on in either form: time, listing text and rhythm marks (0x6F).
struct Onset {
    int64_t time;
    std::string what;
    int marks;
    bool operator==(const Onset&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Onset& o) {
    return os << "{" << o.time << ", \"" << o.what << "\", 0x" << std::hex << o.marks << std::dec
              << "}";
}

std::vector<Onset> onsets(const MidiTrack& track) {
    std::vector<Onset> out;
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        const std::string what = test::describe(e.message);
        if (what.rfind("on ", 0) == 0 || what.rfind("KQVLEVT 9", 0) == 0)
            out.push_back({t, what, e.flags & 0x6F});
    }
    return out;
}

QuantisationSettings semiquaverGrid(uint8_t swingDetected = 0) {
    // Plain step 24, triplet step 32.
    QuantisationSettings q(96, 5, 0, kQuantiseTriplets);
    q.setSwingDetected(swingDetected);
    return q;
}

void runTriplets(MidiTrack& track, const QuantisationSettings& q = semiquaverGrid()) {
    ProgressReporter quiet;
    ASSERT_TRUE(analyseStrandTriplets(track, 0, q, quiet));
}

void runSwing(MidiTrack& track) {
    ProgressReporter quiet;
    ASSERT_TRUE(analyseStrandSwing(track, 0, quiet));
}

// ---- Swing -------------------------------------------------------------------

struct SwingCase {
    const char* name;
    std::vector<Note> notes;
    std::vector<int64_t> expectedOnsets;  // note-on times after the pass, in track order
};

TEST(SwingAnalysis, LateNotesFallBackToTheirSemiquaver) {
    const std::vector<SwingCase> cases = {
        {"a late note moves to its slot, notes on the grid stay",
         {{0, 20}, {24, 40}, {64, 90}, {192, 200}},
         {0, 24, 48, 192}},
        {"a triplet note stays", {{0, 20}, cand(64, 90)}, {0, 64}},
        {"a second note in the same slot keeps its time",
         {{0, 20}, {50, 58, 61}, {60, 70, 62}},
         {0, 48, 60}},
        {"a chord member in the same slot moves too",
         {{0, 20}, {50, 70, 61}, {50, 70, 64, kChord}},
         {0, 48, 48}},
        {"a bar line starts the slots afresh",
         {{0, 20}, {50, 60, 61}, {434, 440, 62}},
         {0, 48, 432}},
        {"a note of another strand stays", {{0, 20}, {64, 90, 61, 0, 1}}, {0, 64}},
    };
    for (const SwingCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = strandTrack(c.notes);
        runSwing(track);
        std::vector<int64_t> times;
        for (const Onset& o : onsets(track)) times.push_back(o.time);
        EXPECT_EQ(times, c.expectedOnsets);
    }
}

TEST(SwingAnalysis, MovedNoteKeepsItsLengthAndItsBarIsReassessed) {
    MidiTrack track = strandTrack({{0, 24}, {64, 96}, {192, 200}, {400, 410}, {432, 440}});
    ASSERT_EQ(posAt(track, 3)->duration1, 128);  // 64 up to the note at 192
    ASSERT_EQ(posAt(track, 8)->duration1, 32);   // 400 up to 432
    runSwing(track);
    const std::vector<Timed> expected = {
        {0, test::kBar},    {0, "on 0 60"},     {24, "off 0 60"},   {48, "on 0 60"},
        {80, "off 0 60"},   {192, "on 0 60"},   {200, "off 0 60"},  {384, test::kBar},
        {384, "on 0 60"},   {394, "off 0 60"},  {432, "on 0 60"},   {440, "off 0 60"}};
    // The note at 400 falls onto the bar line, after the bar marker.
    EXPECT_EQ(listTrack(track), expected);
    EXPECT_EQ(posAt(track, 3)->duration2, 32);
    EXPECT_EQ(posAt(track, 3)->duration1, 144);  // now 48 up to 192
    // The last bar has no bar marker after it and is measured again too.
    EXPECT_EQ(posAt(track, 8)->duration2, 10);
    EXPECT_EQ(posAt(track, 8)->duration1, 48);
}

TEST(SwingAnalysis, DivisionBelowFourMovesNothing) {
    MidiTrack track = strandTrack({{0, 1}, {3, 4}}, 2);
    const std::vector<Timed> before = listTrack(track);
    runSwing(track);
    EXPECT_EQ(listTrack(track), before);
}

// ---- Note values -------------------------------------------------------------

TEST(TripletAnalysis, SpanValueIsTheNoteValueOfExactlyThatLength) {
    const std::vector<std::tuple<int64_t, uint32_t, int>> cases = {
        {768, 96, 0},   {384, 96, 1},   {96, 96, 3},    {48, 96, 4},   {6, 96, 7},
        {3, 96, 0x80},  {60, 96, 0x80}, {0, 96, 0x80},  {-96, 96, 0x80}, {1536, 96, 0x80},
        {96, 0, 0x80},  {15, 120, 6},   {30, 120, 5},   {7, 120, 0x80},
    };
    for (const auto& [ticks, division, value] : cases)
        EXPECT_EQ(spanValueOf(ticks, division), value) << ticks << " ticks at " << division;
}

// ---- Triplet groups ----------------------------------------------------------

struct TripletCase {
    const char* name;
    std::vector<Note> notes;
    std::vector<Onset> expected;
};

const char* const kRestOn = "KQVLEVT 90 fe";

TEST(TripletAnalysis, GroupsAreAcceptedOrMovedBack) {
    const std::vector<TripletCase> cases = {
        {"three equal thirds from the beat",
         {{0, 32}, cand(32, 64), cand(64, 96), {96, 192}},
         {{0, "on 0 60", 0x23}, {32, "on 0 60", 0x23}, {64, "on 0 60", 0x23}, {96, "on 0 60", 0}}},
        {"three equal thirds from the second quaver",
         {{48, 80}, cand(80, 112), cand(112, 144), {144, 192}},
         {{48, "on 0 60", 0x23}, {80, "on 0 60", 0x23}, {112, "on 0 60", 0x23},
          {144, "on 0 60", 0}}},
        {"thirds that are no note value are moved back",
         {{0, 20, 60}, cand(20, 40, 61), cand(40, 60, 62), {60, 192, 63}},
         // 20 goes to the beat, 40 to the quaver after it.
         {{0, "on 0 60", 0}, {0, "on 0 61", 0}, {48, "on 0 62", 0}, {60, "on 0 63", 0}}},
        {"four onsets are too many",
         {{0, 32}, cand(32, 64, 61), cand(64, 80, 62), cand(80, 96, 63), {96, 192}},
         // 32 goes later to 48, 64 earlier to 48; 80 would go to 96, which is
         // its whole length, so it is deleted.
         {{0, "on 0 60", 0}, {48, "on 0 61", 0}, {48, "on 0 62", 0}, {96, "on 0 60", 0}}},
        {"a long-short pair from the beat",
         {{0, 64}, cand(64, 96), {96, 192}},
         {{0, "on 0 60", 0x23}, {64, "on 0 60", 0x23}, {96, "on 0 60", 0}}},
        {"a short-long pair is no triplet",
         {{0, 32}, cand(32, 96), {96, 192}},
         {{0, "on 0 60", 0}, {48, "on 0 60", 0}, {96, "on 0 60", 0}}},
        {"uneven thirds with the last one late by half a third",
         {{0, 32}, cand(32, 80), cand(80, 96), {96, 192}},
         {{0, "on 0 60", 0x23}, {32, "on 0 60", 0x23}, {80, "on 0 60", 0x23},
          {96, "on 0 60", 0}}},
        {"uneven thirds starting after the first note get a rest",
         {{0, 24}, cand(80, 128), cand(128, 144), {144, 192}},
         {{0, "on 0 60", 0}, {48, kRestOn, 0x23}, {80, "on 0 60", 0x23},
          {128, "on 0 60", 0x23}, {144, "on 0 60", 0}}},
        {"uneven thirds starting inside the first note split it",
         {{0, 64}, cand(80, 128), cand(128, 144), {144, 192}},
         {{0, "on 0 60", 0}, {48, "KQVLEVT 90 3c", 0x23}, {80, "on 0 60", 0x23},
          {128, "on 0 60", 0x23}, {144, "on 0 60", 0}}},
        {"uneven thirds whose last note sounds on are split at the end",
         {{0, 24}, cand(80, 128), cand(128, 160), {192, 240, 61}},
         {{0, "on 0 60", 0}, {48, kRestOn, 0x23}, {80, "on 0 60", 0x23},
          {128, "on 0 60", 0x23}, {144, "KQVLEVT 90 3c", 0}, {192, "on 0 61", 0}}},
        {"uneven thirds whose last note ends early get a rest after it",
         {{0, 24}, cand(80, 128), cand(128, 136), {192, 240}},
         {{0, "on 0 60", 0}, {48, kRestOn, 0x23}, {80, "on 0 60", 0x23},
          {128, "on 0 60", 0x23}, {144, kRestOn, 0}, {192, "on 0 60", 0}}},
        {"uneven thirds off the grid are moved back",
         {{0, 40}, cand(40, 80), cand(80, 104), {104, 192}},
         {{0, "on 0 60", 0}, {48, "on 0 60", 0}, {96, "on 0 60", 0}, {104, "on 0 60", 0}}},
        {"another strand's candidates are left alone",
         {{0, 20}, {20, 40, 60, kTriplet, 1}, {60, 192}},
         {{0, "on 0 60", 0}, {20, "on 0 60", 0x20}, {60, "on 0 60", 0}}},
    };
    for (const TripletCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = strandTrack(c.notes);
        runTriplets(track);
        EXPECT_EQ(onsets(track), c.expected);
        for (const Timed& t : listTrack(track)) EXPECT_NE(t.what, test::kDeleted);
    }
}

TEST(TripletAnalysis, RejectedCandidatesKeepTheirLengthWhenMovedEarlier) {
    MidiTrack track = strandTrack({{24, 56}, cand(56, 88), cand(88, 120), {120, 192}});
    runTriplets(track);
    const std::vector<Timed> expected = {
        {0, test::kBar},   {24, "on 0 60"},  {48, "off 0 60"},  {48, "on 0 60"},
        {80, "off 0 60"},  {96, "on 0 60"},  {120, "off 0 60"}, {120, "on 0 60"},
        {192, "off 0 60"}};
    EXPECT_EQ(listTrack(track), expected);
    // The bar was assessed again: the moved note at 48 now fills up to 96.
    EXPECT_EQ(posAt(track, 3)->duration2, 32);
    EXPECT_EQ(posAt(track, 3)->duration1, 48);
}

TEST(TripletAnalysis, PairsNeedNoSwing) {
    MidiTrack track = strandTrack({{0, 64}, cand(64, 96), {96, 192}});
    runTriplets(track, semiquaverGrid(12));
    const std::vector<Onset> expected = {
        {0, "on 0 60", 0}, {48, "on 0 60", 0}, {96, "on 0 60", 0}};
    EXPECT_EQ(onsets(track), expected);
}

TEST(TripletAnalysis, PlaceholderRestSpansTheFirstThird) {
    MidiTrack track = strandTrack({{0, 300}, cand(416, 448), cand(448, 480), {480, 600}});
    runTriplets(track);
    const std::vector<Timed> expected = {
        {0, test::kBar},         {0, "on 0 60"},          {300, "off 0 60"},
        {384, test::kBar},       {384, kRestOn},          {416, "KQVLEVT 80 fe"},
        {416, "on 0 60"},        {448, "off 0 60"},       {448, "on 0 60"},
        {480, "off 0 60"},       {480, "on 0 60"},        {600, "off 0 60"}};
    EXPECT_EQ(listTrack(track), expected);
    const MidiEvent& rest = *posAt(track, 4);
    EXPECT_EQ(rest.strand, 0);
    EXPECT_EQ(rest.duration2, 32);  // assessed with its bar
}

TEST(TripletAnalysis, AcceptedGroupIsAcceptedAgainOnASecondRun) {
    MidiTrack track = strandTrack({{0, 32}, cand(32, 64), cand(64, 96), {96, 192}});
    runTriplets(track);
    const std::vector<Timed> once = listTrack(track);
    const std::vector<Onset> marks = onsets(track);
    runTriplets(track);
    EXPECT_EQ(listTrack(track), once);
    EXPECT_EQ(onsets(track), marks);
}

TEST(TripletAnalysis, DivisionZeroChangesNothing) {
    MidiTrack track = strandTrack({{0, 32}, cand(32, 64), cand(64, 96)}, 0);
    const std::vector<Onset> before = onsets(track);
    runTriplets(track, QuantisationSettings(0, 5, 0, kQuantiseTriplets));
    EXPECT_EQ(onsets(track), before);
}

// ---- Drivers -----------------------------------------------------------------

TEST(TripletsAndSwingDriver, RunsEveryStrandWhoseTrackExists) {
    TrackSet set;
    set.appendTrack(strandTrack({{0, 32}, cand(32, 64), cand(64, 96), {96, 192}}));
    MidiTrack second = strandTrack({{0, 20}, {64, 90, 62, 0, 3}, {192, 200}});
    set.appendTrack(std::move(second));
    const std::vector<Strand> strands = {{0, 0, 0, {}}, {3, 1, 0, {}}, {4, 7, 0, {}}};
    ProgressReporter progress;

    EXPECT_EQ(analyseTriplets(set, strands, semiquaverGrid(), progress), 2);
    EXPECT_EQ(progress.caption(), "Analysing triplets...");
    EXPECT_EQ(onsets(set.tracks[0])[1].marks, 0x23);

    EXPECT_EQ(analyseSwing(set, strands, semiquaverGrid(), progress), 2);
    EXPECT_EQ(progress.caption(), "Analysing swing rhythms...");
    // Strand 3 lives in the second track; its note at 64 falls to 48.
    EXPECT_EQ(onsets(set.tracks[1])[1].time, 48);
    // The triplet notes of strand 0 stay where they are.
    EXPECT_EQ(onsets(set.tracks[0])[2].time, 64);
}


// ---- Cancelling and robustness -------------------------------------------------

class TripletsAndSwingProgress : public test::HostTest {};

TEST_F(TripletsAndSwingProgress, CancelStopsTheStrandAndTheStep) {
    // A rejected group early in the track and the same group three bars later.
    std::vector<Note> notes;
    for (int64_t bar : {0, 3}) {
        const int64_t b = bar * kBarTicks;
        for (const Note& n : {Note{24, 56}, cand(56, 88), cand(88, 120), Note{120, 192}})
            notes.push_back({b + n.on, b + n.off, n.key, n.flags, n.strand});
    }
    TrackSet set;
    set.appendTrack(strandTrack(notes));
    const std::vector<Strand> strands = {{0, 0, 0, {}}, {0, 0, 0, {}}};
    host.cancelFromPercent(50);
    EXPECT_EQ(analyseTriplets(set, strands, semiquaverGrid(), reporter), 1);
    const std::vector<Onset> got = onsets(set.tracks[0]);
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[1].time, 48);  // the first group was moved back
    const int64_t late = 3 * kBarTicks;
    EXPECT_EQ(got[5], (Onset{late + 56, "on 0 60", 0x20}));  // the second was not reached
    EXPECT_EQ(got[6], (Onset{late + 88, "on 0 60", 0x20}));
}

// Random strands: whatever the passes do, each key's note-ons and note-offs
// (in either form) still alternate, no deleted-event marker is left, and no
// event moves beyond the end of the track.
TEST(TripletsAndSwingRobustness, RandomStrandsStayWellFormed) {
    std::mt19937 rng(20261206);
    size_t accepted = 0;
    size_t markers = 0;  // placeholders and split notes
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::vector<Note> notes;
        for (uint8_t key = 60; key < 64; ++key) {
            int64_t t = static_cast<int64_t>(rng() % 40);
            for (int i = 0; i < 12; ++i) {
                const int64_t length = 1 + static_cast<int64_t>(rng() % 120);
                uint16_t flags = (rng() % 2) ? kTriplet : 0;
                if (rng() % 5 == 0) flags |= kChord;
                notes.push_back({t, t + length, key, flags, static_cast<int16_t>(rng() % 2)});
                t += length + static_cast<int64_t>(rng() % 50);
            }
        }
        std::sort(notes.begin(), notes.end(),
                  [](const Note& a, const Note& b) { return a.on < b.on; });
        MidiTrack track = strandTrack(notes);
        int64_t lastBefore = 0;
        for (const Timed& t : listTrack(track)) lastBefore = std::max(lastBefore, t.time);

        const QuantisationSettings grid = semiquaverGrid(rng() % 2 ? 0 : 10);
        ProgressReporter quiet;
        for (int16_t strand : {0, 1}) {
            ASSERT_TRUE(analyseStrandTriplets(track, strand, grid, quiet));
            ASSERT_TRUE(analyseStrandSwing(track, strand, quiet));
        }

        std::map<std::pair<int, int>, bool> sounding;
        int64_t t = 0;
        for (const MidiEvent& e : track.events) {
            t += e.time;
            ASSERT_FALSE(e.message.isDeletedMarker()) << "at " << t;
            const bool on = isNoteOnCombined(e);
            if (!on && !isNoteOffCombined(e)) continue;
            if (on && (e.flags & 0x2F) > kTriplet) ++accepted;
            if (on && isProprietaryNoteOn(e)) ++markers;
            bool& isOn = sounding[{channelOf(e), keyOf(e)}];
            ASSERT_NE(isOn, on) << "key " << keyOf(e) << " at " << t;
            isOn = on;
        }
        for (const auto& [note, isOn] : sounding) EXPECT_FALSE(isOn) << "key " << note.second;
        EXPECT_LE(t, lastBefore);
    }
    // The rounds reach the accepting paths, not only rejection.
    EXPECT_GT(accepted, 0u);
    EXPECT_GT(markers, 0u);
}

// A long strand of alternating accepted and rejected groups: every walk stays
// near its group, so this runs in a moment rather than in quadratic time.
TEST(TripletsAndSwingRobustness, LongStrandIsWalkedGroupByGroup) {
    std::vector<Note> notes;
    for (int64_t beat = 0; beat < 20000; beat += 2) {
        const int64_t b = beat * 96;
        // An accepted group on the first beat, a rejected one on the second.
        for (const Note& n : {Note{0, 32}, cand(32, 64), cand(64, 96), Note{96, 120},
                              cand(120, 152), cand(152, 184)})
            notes.push_back({b + n.on, b + n.off, n.key, n.flags, n.strand});
    }
    MidiTrack track = strandTrack(notes);
    runTriplets(track);
    runSwing(track);
    const std::vector<Onset> got = onsets(track);
    ASSERT_EQ(got.size(), notes.size());
    EXPECT_EQ(got[1].marks, 0x23);
    EXPECT_EQ(got[got.size() - 5].marks, 0x23);
    EXPECT_EQ(got.back().marks, 0);
}

}  // namespace
}  // namespace vl
