// Shared track operations: finding a note's end, moving events earlier and
// later, deleting notes and tied pieces, moving back one place, purging and
// the combined channel mask. Expectations list whole tracks with absolute
// times, so a wrong delta anywhere shows up.

#include "analysis/track_operations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/track_step_driver.h"
#include "session/progress_reporter.h"
#include "support/percent_cancelling_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::describe;
using test::kBar;
using test::kDeleted;
using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::PercentCancellingHost;
using test::posAt;
using test::propOff;
using test::propOn;
using test::Timed;
using test::TrackBuilder;

TrackCursor cursorAt(MidiTrack& track, size_t index) {
    TrackCursor c(track);
    for (size_t i = 0; i < index; ++i) c.advance();
    return c;
}
size_t indexOf(MidiTrack& track, EventPos p) {
    return static_cast<size_t>(std::distance(track.begin(), p));
}

// ---- findNoteEnd ---------------------------------------------------------

struct NoteEndCase {
    const char* name;
    MidiTrack track;
    size_t start;
    bool found;
    int64_t length;
    size_t endIndex;  // where the position is left (start when not found)
};

TEST(TrackOperationsFindNoteEnd, TableOfStartsAndEnds) {
    std::vector<NoteEndCase> cases;
    cases.push_back({"real on to 0x80 off",
                     TrackBuilder().at(10, noteOn(0, 60)).at(58, noteOff(0, 60)).take(), 0, true,
                     48, 1});
    cases.push_back({"velocity-0 note-on ends the note",
                     TrackBuilder().at(0, noteOn(0, 60)).at(30, noteOn(0, 60, 0)).take(), 0, true,
                     30, 1});
    cases.push_back({"other key, other channel and other events are walked over",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(5, noteOff(0, 62))
                         .at(7, noteOff(1, 60))
                         .at(9, cc(1))
                         .at(20, noteOff(0, 60))
                         .take(),
                     0, true, 20, 4});
    cases.push_back(
        {"a second note-on of the key does not end it",
         TrackBuilder().at(0, noteOn(0, 60)).at(10, noteOn(0, 60)).at(20, noteOff(0, 60)).take(), 0,
         true, 20, 2});
    cases.push_back(
        {"proprietary on to proprietary off",
         TrackBuilder().at(96, propOn(2, 64)).marker(96, kBar).at(192, propOff(2, 64)).take(), 0,
         true, 96, 2});
    cases.push_back({"real on ended by a proprietary off",
                     TrackBuilder().at(50, noteOn(3, 40)).at(96, propOff(3, 40)).take(), 0, true,
                     46, 1});
    cases.push_back({"proprietary on ended by a real off",
                     TrackBuilder().at(96, propOn(3, 40)).at(100, noteOff(3, 40)).take(), 0, true,
                     4, 1});
    cases.push_back({"zero-length note",
                     TrackBuilder().at(5, noteOn(0, 60)).at(5, noteOff(0, 60)).take(), 0, true, 0,
                     1});
    cases.push_back({"marker key 0xff is that key, not any key",
                     TrackBuilder()
                         .marker(0, "KQVLEVT 90 ff")
                         .at(10, noteOff(0, 60))
                         .marker(20, "KQVLEVT 80 ff")
                         .take(),
                     0, true, 20, 2});
    cases.push_back({"track ends before a note-off",
                     TrackBuilder().at(0, cc(1)).at(0, noteOn(0, 60)).at(10, noteOff(0, 61)).take(),
                     1, false, 0, 1});
    cases.push_back({"start is a note-off",
                     TrackBuilder().at(0, noteOff(0, 60)).at(10, noteOff(0, 60)).take(), 0, false,
                     0, 0});
    cases.push_back({"start is no note", TrackBuilder().at(0, cc(1)).at(10, noteOff(0, 60)).take(),
                     0, false, 0, 0});

    for (NoteEndCase& c : cases) {
        SCOPED_TRACE(c.name);
        EventPos p = posAt(c.track, c.start);
        const NoteEnd end = findNoteEnd(c.track, p);
        EXPECT_EQ(end.found, c.found);
        EXPECT_EQ(end.length, c.length);
        EXPECT_EQ(indexOf(c.track, p), c.endIndex);

        TrackCursor cursor = cursorAt(c.track, c.start);
        const int64_t startTime = cursor.time();
        const NoteEnd byCursor = findNoteEnd(cursor);
        EXPECT_EQ(byCursor.found, c.found);
        EXPECT_EQ(byCursor.length, c.length);
        EXPECT_EQ(indexOf(c.track, cursor.position()), c.endIndex);
        EXPECT_EQ(cursor.time(), startTime + c.length);
    }
}

TEST(TrackOperationsFindNoteEnd, CursorBarTimeFollowsOrIsRestored) {
    MidiTrack t = TrackBuilder()
                      .marker(0, kBar)
                      .at(300, noteOn(0, 60))
                      .marker(384, kBar)
                      .at(400, noteOff(0, 60))
                      .at(410, noteOn(0, 62))
                      .marker(768, kBar)
                      .take();
    TrackCursor found = cursorAt(t, 1);
    ASSERT_EQ(found.barTime(), 0);
    EXPECT_TRUE(findNoteEnd(found).found);
    EXPECT_EQ(found.time(), 400);
    EXPECT_EQ(found.barTime(), 384);

    TrackCursor unmatched = cursorAt(t, 4);
    ASSERT_EQ(unmatched.barTime(), 384);
    EXPECT_FALSE(findNoteEnd(unmatched).found);
    EXPECT_EQ(indexOf(t, unmatched.position()), 4u);
    EXPECT_EQ(unmatched.time(), 410);
    EXPECT_EQ(unmatched.barTime(), 384);
}

// ---- shiftEvent ----------------------------------------------------------

struct ShiftCase {
    const char* name;
    MidiTrack track;
    size_t index;  // event under the cursor
    int64_t ticks;
    size_t result;
    std::vector<Timed> expected;
    int64_t cursorTime;
    std::string cursorEvent;  // description of the event under the cursor afterwards
};

void runShiftCases(std::vector<ShiftCase>& cases) {
    for (ShiftCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackCursor cursor = cursorAt(c.track, c.index);
        EXPECT_EQ(shiftEvent(cursor, c.ticks), c.result);
        EXPECT_EQ(listTrack(c.track), c.expected);
        EXPECT_EQ(cursor.time(), c.cursorTime);
        ASSERT_FALSE(cursor.atEnd());
        EXPECT_EQ(describe(cursor.event().message), c.cursorEvent);
    }
}

TEST(TrackOperationsShiftEarlier, MovesAndPullsBack) {
    std::vector<ShiftCase> cases;
    // note: another note's off at 97 lies between the target 96 and the on at 98
    cases.push_back(
        {"note-off at 97 is pulled to 96 ahead of the note-on",
         TrackBuilder()
             .at(0, noteOn(0, 50))
             .at(97, noteOff(0, 50))
             .at(98, noteOn(0, 60))
             .at(150, noteOff(0, 60))
             .at(200, noteOn(0, 62))
             .take(),
         2,
         -2,
         0,
         {{0, "on 0 50"}, {96, "off 0 50"}, {96, "on 0 60"}, {148, "off 0 60"}, {200, "on 0 62"}},
         96,
         "on 0 60"});
    // note: events at the target stay ahead; those after it keep their order
    cases.push_back({"run between target and old time is pulled back in order",
                     TrackBuilder()
                         .at(80, cc(1))
                         .at(90, cc(2))
                         .at(93, cc(3))
                         .at(95, cc(4))
                         .at(98, cc(5))
                         .at(110, cc(6))
                         .take(),
                     4,
                     -8,
                     0,
                     {{80, "st b0 01"},
                      {90, "st b0 02"},
                      {90, "st b0 03"},
                      {90, "st b0 04"},
                      {90, "st b0 05"},
                      {110, "st b0 06"}},
                     90,
                     "st b0 05"});
    cases.push_back({"first event of the track pulled back too",
                     TrackBuilder().at(5, cc(1)).at(7, cc(2)).at(9, cc(3)).take(),
                     1,
                     -6,
                     0,
                     {{1, "st b0 01"}, {1, "st b0 02"}, {9, "st b0 03"}},
                     1,
                     "st b0 02"});
    cases.push_back({"last event of the track",
                     TrackBuilder().at(10, cc(1)).at(20, cc(2)).take(),
                     1,
                     -5,
                     0,
                     {{10, "st b0 01"}, {15, "st b0 02"}},
                     15,
                     "st b0 02"});
    cases.push_back({"target before tick 0 stops at 0, the note-off follows by as much",
                     TrackBuilder().at(3, noteOn(0, 60)).at(20, noteOff(0, 60)).take(),
                     0,
                     -10,
                     0,
                     {{0, "on 0 60"}, {17, "off 0 60"}},
                     0,
                     "on 0 60"});
    // note: new off time 48; the event at 49 is passed, the one at 48 is not
    cases.push_back({"real note-off moves along, passing back only events later than it",
                     TrackBuilder()
                         .at(10, noteOn(0, 60))
                         .at(47, cc(1))
                         .at(48, cc(2))
                         .at(49, cc(3))
                         .at(50, noteOff(0, 60))
                         .at(60, cc(4))
                         .take(),
                     0,
                     -2,
                     0,
                     {{8, "on 0 60"},
                      {47, "st b0 01"},
                      {48, "st b0 02"},
                      {48, "off 0 60"},
                      {49, "st b0 03"},
                      {60, "st b0 04"}},
                     8,
                     "on 0 60"});
    cases.push_back(
        {"note-off right after the note-on keeps the length",
         TrackBuilder().at(40, noteOn(1, 60)).at(40, noteOff(1, 60)).at(41, cc(1)).take(),
         0,
         -4,
         0,
         {{36, "on 1 60"}, {36, "off 1 60"}, {41, "st b0 01"}},
         36,
         "on 1 60"});
    cases.push_back({"velocity-0 note-on moves as a real note-off",
                     TrackBuilder().at(30, noteOn(0, 60)).at(50, noteOn(0, 60, 0)).take(),
                     0,
                     -6,
                     0,
                     {{24, "on 0 60"}, {44, "off 0 60"}},
                     24,
                     "on 0 60"});
    cases.push_back({"proprietary note-on takes its real note-off along",
                     TrackBuilder().at(100, propOn(0, 60)).at(130, noteOff(0, 60)).take(),
                     0,
                     -4,
                     0,
                     {{96, "KQVLEVT 90 3c"}, {126, "off 0 60"}},
                     96,
                     "KQVLEVT 90 3c"});
    cases.push_back({"a proprietary note-off stays where it is",
                     TrackBuilder().at(10, noteOn(0, 60)).at(96, propOff(0, 60)).take(),
                     0,
                     -2,
                     0,
                     {{8, "on 0 60"}, {96, "KQVLEVT 80 3c"}},
                     8,
                     "on 0 60"});
    cases.push_back({"note-on without note-off moves alone",
                     TrackBuilder().at(10, noteOn(0, 60)).at(30, noteOff(0, 61)).take(),
                     0,
                     -3,
                     0,
                     {{7, "on 0 60"}, {30, "off 0 61"}},
                     7,
                     "on 0 60"});
    cases.push_back(
        {"a note-off moved earlier does not look for anything",
         TrackBuilder().at(10, noteOn(0, 60)).at(30, noteOff(0, 60)).at(40, noteOff(0, 61)).take(),
         1,
         -5,
         0,
         {{10, "on 0 60"}, {25, "off 0 60"}, {40, "off 0 61"}},
         25,
         "off 0 60"});
    runShiftCases(cases);
}

TEST(TrackOperationsShiftEarlier, PulledBarMarkerMovesCursorBarTime) {
    MidiTrack t = TrackBuilder().at(0, cc(1)).marker(97, kBar).at(98, cc(2)).take();
    TrackCursor c = cursorAt(t, 2);
    ASSERT_EQ(c.barTime(), 97);
    shiftEvent(c, -2);
    const std::vector<Timed> expected = {{0, "st b0 01"}, {96, kBar}, {96, "st b0 02"}};
    EXPECT_EQ(listTrack(t), expected);
    EXPECT_EQ(c.barTime(), 96);
    EXPECT_EQ(c.timeSinceBar(), 0);
}

TEST(TrackOperationsShiftLater, DeletesShortensOrPasses) {
    std::vector<ShiftCase> cases;
    cases.push_back({"later by exactly its length: both events deleted",
                     TrackBuilder().at(0, noteOn(0, 60)).at(5, cc(1)).at(10, noteOff(0, 60)).take(),
                     0,
                     10,
                     0,
                     {{0, kDeleted}, {5, "st b0 01"}, {10, kDeleted}},
                     0,
                     kDeleted});
    cases.push_back(
        {"later by more than its length: both events deleted",
         TrackBuilder().at(4, noteOn(0, 60)).at(10, noteOff(0, 60)).at(12, cc(1)).take(),
         0,
         7,
         0,
         {{4, kDeleted}, {10, kDeleted}, {12, "st b0 01"}},
         4,
         kDeleted});
    cases.push_back({"note-on without note-off is always deleted",
                     TrackBuilder().at(0, noteOn(0, 60)).at(100, cc(1)).take(),
                     0,
                     1,
                     0,
                     {{0, kDeleted}, {100, "st b0 01"}},
                     0,
                     kDeleted});
    // note: new on time 3; events at 1 and 2 are passed, the one at 3 is not
    cases.push_back(
        {"later by less: shorter note, events passed are counted",
         TrackBuilder()
             .at(0, noteOn(0, 60))
             .at(1, cc(1))
             .at(2, cc(2))
             .at(3, cc(3))
             .at(10, noteOff(0, 60))
             .take(),
         0,
         3,
         2,
         {{1, "st b0 01"}, {2, "st b0 02"}, {3, "on 0 60"}, {3, "st b0 03"}, {10, "off 0 60"}},
         3,
         "on 0 60"});
    cases.push_back({"later by less with nothing passed",
                     TrackBuilder().at(20, noteOn(0, 60)).at(30, noteOff(0, 60)).take(),
                     0,
                     4,
                     0,
                     {{24, "on 0 60"}, {30, "off 0 60"}},
                     24,
                     "on 0 60"});
    cases.push_back({"other event goes ahead of events at its new time",
                     TrackBuilder().at(0, cc(1)).at(5, cc(2)).at(5, cc(3)).at(6, cc(4)).take(),
                     0,
                     5,
                     0,
                     {{5, "st b0 01"}, {5, "st b0 02"}, {5, "st b0 03"}, {6, "st b0 04"}},
                     5,
                     "st b0 01"});
    cases.push_back({"other event passes every event earlier than its new time",
                     TrackBuilder().at(0, cc(1)).at(5, cc(2)).at(5, cc(3)).at(6, cc(4)).take(),
                     0,
                     6,
                     2,
                     {{5, "st b0 02"}, {5, "st b0 03"}, {6, "st b0 01"}, {6, "st b0 04"}},
                     6,
                     "st b0 01"});
    cases.push_back({"last event of the track",
                     TrackBuilder().at(0, cc(1)).at(10, cc(2)).take(),
                     1,
                     5,
                     0,
                     {{0, "st b0 01"}, {15, "st b0 02"}},
                     15,
                     "st b0 02"});
    cases.push_back(
        {"a note-off is moved, never deleted",
         TrackBuilder().at(0, noteOn(0, 60)).at(10, noteOff(0, 60)).at(12, cc(1)).take(),
         1,
         50,
         1,
         {{0, "on 0 60"}, {12, "st b0 01"}, {60, "off 0 60"}},
         60,
         "off 0 60"});
    runShiftCases(cases);
}

TEST(TrackOperationsShiftLater, PassingBarMarkerMovesCursorBarTime) {
    MidiTrack t = TrackBuilder().marker(0, kBar).at(2, cc(1)).marker(4, kBar).at(8, cc(2)).take();
    TrackCursor c = cursorAt(t, 1);
    ASSERT_EQ(c.barTime(), 0);
    EXPECT_EQ(shiftEvent(c, 3), 1u);
    EXPECT_EQ(c.time(), 5);
    EXPECT_EQ(c.barTime(), 4);
    // The cursor walks on from the moved event's new place.
    c.advance();
    EXPECT_EQ(c.time(), 8);
    EXPECT_EQ(describe(c.event().message), "st b0 02");
}

TEST(TrackOperationsShiftLater, DeletingFirstPieceHandsRealNoteOnToNextPiece) {
    // note: a tied note 90..150 cut at the bar line 96; its first piece is 6 ticks
    MidiTrack t = TrackBuilder()
                      .at(90, noteOn(0, 60, 77))
                      .at(96, propOff(0, 60))
                      .marker(96, kBar)
                      .at(96, propOn(0, 60))
                      .at(150, noteOff(0, 60))
                      .take();
    TrackCursor c = cursorAt(t, 0);
    EXPECT_EQ(shiftEvent(c, 6), 0u);
    const std::vector<Timed> expected = {
        {90, kDeleted}, {96, kDeleted}, {96, kBar}, {96, "on 0 60"}, {150, "off 0 60"}};
    EXPECT_EQ(listTrack(t), expected);
    EXPECT_EQ(posAt(t, 3)->message.data2, 77);
    EXPECT_EQ(c.time(), 90);
}

TEST(TrackOperationsShift, ZeroTicksAndEndChangeNothing) {
    MidiTrack t = TrackBuilder().at(0, noteOn(0, 60)).at(10, noteOff(0, 60)).take();
    const std::vector<Timed> before = listTrack(t);
    TrackCursor c(t);
    EXPECT_EQ(shiftEvent(c, 0), 0u);
    TrackCursor atEnd = cursorAt(t, 2);
    EXPECT_EQ(shiftEvent(atEnd, 5), 0u);
    EXPECT_EQ(shiftEvent(atEnd, -5), 0u);
    EXPECT_EQ(listTrack(t), before);
}

TEST(TrackOperationsShift, HugeAmountsStayWithinDeltaRange) {
    MidiTrack t = TrackBuilder().at(10, cc(1)).at(20, cc(2)).take();
    TrackCursor c = cursorAt(t, 1);
    shiftEvent(c, INT64_MIN);
    std::vector<Timed> expected = {{0, "st b0 01"}, {0, "st b0 02"}};
    EXPECT_EQ(listTrack(t), expected);
    EXPECT_EQ(c.time(), 0);

    TrackCursor first(t);
    shiftEvent(first, INT64_MAX);  // as far as a delta can reach
    expected = {{0, "st b0 02"}, {4294967295, "st b0 01"}};
    EXPECT_EQ(listTrack(t), expected);
    EXPECT_EQ(first.time(), 4294967295);
}

// ---- Deleting ------------------------------------------------------------

TEST(TrackOperationsDelete, DeleteNoteNeutralisesBothKeepingTimes) {
    MidiTrack t = TrackBuilder().at(5, noteOn(0, 60)).at(9, cc(1)).at(20, noteOff(0, 60)).take();
    posAt(t, 0)->strand = 3;
    posAt(t, 0)->orFlags(0x4080);
    posAt(t, 2)->duration1 = 12;
    deleteNote(t, posAt(t, 0), posAt(t, 2));
    const std::vector<Timed> expected = {{5, kDeleted}, {9, "st b0 01"}, {20, kDeleted}};
    EXPECT_EQ(listTrack(t), expected);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(posAt(t, i)->strand, -1);
        EXPECT_EQ(posAt(t, i)->flags, 0);
        EXPECT_EQ(posAt(t, i)->duration1, 0);
    }
    deleteNote(t, posAt(t, 1), t.end());  // a note-on without note-off
    EXPECT_EQ(describe(posAt(t, 1)->message), kDeleted);
}

struct TiedPieceCase {
    const char* name;
    MidiTrack track;
    size_t on;
    size_t off;
    std::vector<Timed> expected;
};

TEST(TrackOperationsDelete, TiedPieceHandsOverAlongTheChain) {
    std::vector<TiedPieceCase> cases;
    // note: the nearest later proprietary on of channel 0 key 60 is the heir
    cases.push_back({"first piece: next proprietary note-on becomes the real note-on",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(96, propOff(0, 60))
                         .marker(96, kBar)
                         .at(96, propOn(1, 60))
                         .at(96, propOn(0, 60))
                         .at(192, propOff(0, 60))
                         .marker(192, kBar)
                         .at(192, propOn(0, 60))
                         .at(200, noteOff(0, 60))
                         .take(),
                     0,
                     1,
                     {{0, kDeleted},
                      {96, kDeleted},
                      {96, kBar},
                      {96, "KQVLEVT 91 3c"},
                      {96, "on 0 60"},
                      {192, "KQVLEVT 80 3c"},
                      {192, kBar},
                      {192, "KQVLEVT 90 3c"},
                      {200, "off 0 60"}}});
    // note: the nearest earlier proprietary off of channel 0 key 60 is the heir
    cases.push_back({"last piece: previous proprietary note-off becomes the real note-off",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(96, propOff(0, 60))
                         .at(96, propOff(0, 62))
                         .marker(96, kBar)
                         .at(96, propOn(0, 60))
                         .at(96, propOn(0, 62))
                         .at(120, noteOff(0, 60))
                         .at(130, noteOff(0, 62))
                         .take(),
                     4,
                     6,
                     {{0, "on 0 60"},
                      {96, "off 0 60"},
                      {96, "KQVLEVT 80 3e"},
                      {96, kBar},
                      {96, kDeleted},
                      {96, "KQVLEVT 90 3e"},
                      {120, kDeleted},
                      {130, "off 0 62"}}});
    cases.push_back({"middle piece: nothing handed over",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(96, propOff(0, 60))
                         .at(96, propOn(0, 60))
                         .at(192, propOff(0, 60))
                         .at(192, propOn(0, 60))
                         .at(200, noteOff(0, 60))
                         .take(),
                     2,
                     3,
                     {{0, "on 0 60"},
                      {96, "KQVLEVT 80 3c"},
                      {96, kDeleted},
                      {192, kDeleted},
                      {192, "KQVLEVT 90 3c"},
                      {200, "off 0 60"}}});
    cases.push_back(
        {"whole note: nothing handed over",
         TrackBuilder()
             .at(0, propOff(0, 60))
             .at(10, noteOn(0, 60))
             .at(20, noteOff(0, 60))
             .at(30, propOn(0, 60))
             .take(),
         1,
         2,
         {{0, "KQVLEVT 80 3c"}, {10, kDeleted}, {20, kDeleted}, {30, "KQVLEVT 90 3c"}}});
    cases.push_back(
        {"first piece without any later piece",
         TrackBuilder().at(0, noteOn(0, 60)).at(96, propOff(0, 60)).at(96, propOn(0, 61)).take(),
         0,
         1,
         {{0, kDeleted}, {96, kDeleted}, {96, "KQVLEVT 90 3d"}}});
    for (TiedPieceCase& c : cases) {
        SCOPED_TRACE(c.name);
        deleteTiedPiece(c.track, posAt(c.track, c.on), posAt(c.track, c.off));
        EXPECT_EQ(listTrack(c.track), c.expected);
    }
}

TEST(TrackOperationsDelete, HeirKeepsItsTimeAndAnnotations) {
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60, 90))
                      .at(96, propOff(0, 60))
                      .marker(96, kBar)
                      .at(96, propOn(0, 60))
                      .at(150, noteOff(0, 60))
                      .take();
    const EventPos heir = posAt(t, 3);
    heir->strand = 4;
    heir->flags = 0x4080;
    heir->duration1 = 54;
    deleteTiedPiece(t, posAt(t, 0), posAt(t, 1));
    EXPECT_TRUE(heir->message.isNoteOn());
    EXPECT_EQ(heir->message.data2, 90);
    EXPECT_TRUE(heir->message.payload.empty());
    EXPECT_EQ(heir->time, 0u);
    EXPECT_EQ(heir->strand, 4);
    EXPECT_EQ(heir->flags, 0x4080);
    EXPECT_EQ(heir->duration1, 54);
}

// ---- moveBackOnePlace ----------------------------------------------------

TEST(TrackOperationsMoveBack, TakesPreviousTimeAndSwaps) {
    MidiTrack t = TrackBuilder().at(0, cc(1)).at(10, cc(2)).at(30, cc(3)).at(40, cc(4)).take();
    const EventPos moved = posAt(t, 2);
    EXPECT_TRUE(moveBackOnePlace(t, moved));
    std::vector<Timed> expected = {
        {0, "st b0 01"}, {10, "st b0 03"}, {10, "st b0 02"}, {40, "st b0 04"}};
    EXPECT_EQ(listTrack(t), expected);
    EXPECT_EQ(indexOf(t, moved), 1u);

    // Again: now it becomes the first event, at the first event's time.
    EXPECT_TRUE(moveBackOnePlace(t, moved));
    expected = {{0, "st b0 03"}, {0, "st b0 01"}, {10, "st b0 02"}, {40, "st b0 04"}};
    EXPECT_EQ(listTrack(t), expected);

    EXPECT_FALSE(moveBackOnePlace(t, moved));
    EXPECT_FALSE(moveBackOnePlace(t, t.end()));
    EXPECT_EQ(listTrack(t), expected);
}

TEST(TrackOperationsMoveBack, LastEventOfTrack) {
    MidiTrack t = TrackBuilder().at(4, cc(1)).at(10, cc(2)).take();
    EXPECT_TRUE(moveBackOnePlace(t, posAt(t, 1)));
    const std::vector<Timed> expected = {{4, "st b0 02"}, {4, "st b0 01"}};
    EXPECT_EQ(listTrack(t), expected);
}

// ---- purgeDeleted --------------------------------------------------------

struct PurgeCase {
    const char* name;
    MidiTrack track;
    size_t removed;
    std::vector<Timed> expected;
};

TEST(TrackOperationsPurge, RemovesMarkersKeepingTimes) {
    std::vector<PurgeCase> cases;
    cases.push_back({"markers inside a run and at the end",
                     TrackBuilder()
                         .at(0, cc(1))
                         .marker(5, kDeleted)
                         .at(5, cc(2))
                         .marker(8, kDeleted)
                         .marker(9, kDeleted)
                         .at(12, cc(3))
                         .marker(20, kDeleted)
                         .take(),
                     4,
                     {{0, "st b0 01"}, {5, "st b0 02"}, {12, "st b0 03"}}});
    cases.push_back({"first event deleted",
                     TrackBuilder().marker(3, kDeleted).at(7, cc(1)).take(),
                     1,
                     {{7, "st b0 01"}}});
    cases.push_back({"everything deleted",
                     TrackBuilder().marker(3, kDeleted).marker(7, kDeleted).take(),
                     2,
                     {}});
    cases.push_back({"a longer text is no deleted-event marker",
                     TrackBuilder().marker(3, "KQVLZZZ ").marker(7, kBar).at(9, cc(1)).take(),
                     0,
                     {{3, "KQVLZZZ "}, {7, kBar}, {9, "st b0 01"}}});
    cases.push_back({"empty track", MidiTrack(96), 0, {}});
    for (PurgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(purgeDeleted(c.track), c.removed);
        EXPECT_EQ(listTrack(c.track), c.expected);
    }
}

TEST(TrackOperationsPurge, CancelLeavesTheRestForTheNextPurge) {
    MidiTrack t = TrackBuilder()
                      .at(0, cc(1))
                      .marker(2, kDeleted)
                      .at(4, cc(2))
                      .at(6, cc(3))
                      .marker(8, kDeleted)
                      .at(10, cc(4))
                      .take();
    // Six events: index i reports (i + 1) * 100 / 6 percent, so index 3 is the
    // first at 60 or more.
    size_t removed = 0;
    {
        PercentCancellingHost host(60);
        ProgressReporter reporter;
        reporter.setTarget(PercentCancellingHost::window(), PercentCancellingHost::kMessage);
        EventProgress progress(reporter, t.size());
        removed = purgeDeleted(t, &progress);
    }
    EXPECT_EQ(removed, 1u);
    std::vector<Timed> expected = {
        {0, "st b0 01"}, {4, "st b0 02"}, {6, "st b0 03"}, {8, kDeleted}, {10, "st b0 04"}};
    EXPECT_EQ(listTrack(t), expected);

    EXPECT_EQ(purgeDeleted(t), 1u);
    expected = {{0, "st b0 01"}, {4, "st b0 02"}, {6, "st b0 03"}, {10, "st b0 04"}};
    EXPECT_EQ(listTrack(t), expected);
}

// ---- Channel mask --------------------------------------------------------

struct MaskCase {
    const char* name;
    MidiTrack track;
    uint16_t mask;
};

TEST(TrackOperationsChannelMask, CombinedChannels) {
    std::vector<MaskCase> cases;
    cases.push_back(
        {"meta events only",
         TrackBuilder().at(0, test::timeSig(4, 2)).at(0, test::keySig(0, 0)).marker(0, kBar).take(),
         0});
    cases.push_back(
        {"real channels 0 and 9", TrackBuilder().at(0, noteOn(9, 36)).at(5, cc(1)).take(), 0x0201});
    cases.push_back({"proprietary notes count with their note's channel",
                     TrackBuilder().at(0, propOn(5, 60)).at(10, propOff(15, 60)).take(), 0x8020});
    cases.push_back({"deleted markers and other markers count nothing",
                     TrackBuilder()
                         .marker(0, kDeleted)
                         .marker(0, "KQVLEVT 70 3c")
                         .marker(0, "KQVLMTA 58 04 02")
                         .at(1, MidiMessage::channel(kind::ProgramChange, 3, 5, 0))
                         .take(),
                     0x0008});
    cases.push_back({"empty track", MidiTrack(96), 0});
    for (MaskCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.track.channelMask = 0xFFFF;
        EXPECT_EQ(computeChannelMask(c.track), c.mask);
        EXPECT_EQ(c.track.channelMask, c.mask);
    }
}

}  // namespace
}  // namespace vl
