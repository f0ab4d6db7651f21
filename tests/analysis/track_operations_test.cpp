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
#include "support/track_text.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
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
using test::posAt;
using test::propOff;
using test::propOn;
using test::Timed;
using test::TrackBuilder;
using test::trackFromText;
using test::trackText;

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
    const char* track;
    size_t start;
    bool found;
    int64_t length;
    size_t endIndex;  // where the position is left (start when not found)
};

TEST(TrackOperationsFindNoteEnd, TableOfStartsAndEnds) {
    const std::vector<NoteEndCase> cases = {
        {"real on to 0x80 off", "10 on 0 60, 58 off 0 60", 0, true, 48, 1},
        {"velocity-0 note-on ends the note", "0 on 0 60, 30 on0 0 60", 0, true, 30, 1},
        {"other key, other channel and other events are walked over",
         "0 on 0 60, 5 off 0 62, 7 off 1 60, 9 st b0 01, 20 off 0 60", 0, true, 20, 4},
        {"a second note-on of the key does not end it", "0 on 0 60, 10 on 0 60, 20 off 0 60", 0,
         true, 20, 2},
        {"proprietary on to proprietary off", "96 KQVLEVT 92 40, 96 KQVLBAR, 192 KQVLEVT 82 40", 0,
         true, 96, 2},
        {"real on ended by a proprietary off", "50 on 3 40, 96 KQVLEVT 83 28", 0, true, 46, 1},
        {"marker key 0xff is that key, not any key",
         "0 KQVLEVT 90 ff, 10 off 0 60, 20 KQVLEVT 80 ff", 0, true, 20, 2},
        {"track ends before a note-off", "0 st b0 01, 0 on 0 60, 10 off 0 61", 1, false, 0, 1},
        {"start is a note-off", "0 off 0 60, 10 off 0 60", 0, false, 0, 0},
    };
    for (const NoteEndCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        EventPos p = posAt(track, c.start);
        const NoteEnd end = findNoteEnd(track, p);
        EXPECT_EQ(end.found, c.found);
        EXPECT_EQ(end.length, c.length);
        EXPECT_EQ(indexOf(track, p), c.endIndex);

        TrackCursor cursor = cursorAt(track, c.start);
        const int64_t startTime = cursor.time();
        const NoteEnd byCursor = findNoteEnd(cursor);
        EXPECT_EQ(byCursor.found, c.found);
        EXPECT_EQ(byCursor.length, c.length);
        EXPECT_EQ(indexOf(track, cursor.position()), c.endIndex);
        EXPECT_EQ(cursor.time(), startTime + c.length);
    }
}

TEST(TrackOperationsFindNoteEnd, CursorBarTimeFollowsOrIsRestored) {
    MidiTrack t = trackFromText("0 KQVLBAR, 300 on 0 60, 384 KQVLBAR, 400 off 0 60, 410 on 0 62, "
                                "768 KQVLBAR");
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
    const char* track;
    size_t index;  // event under the cursor
    int64_t ticks;
    size_t result;
    const char* expected;
    int64_t cursorTime;
    std::string cursorEvent;  // description of the event under the cursor afterwards
};

void runShiftCases(const std::vector<ShiftCase>& cases) {
    for (const ShiftCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        TrackCursor cursor = cursorAt(track, c.index);
        EXPECT_EQ(shiftEvent(cursor, c.ticks), c.result);
        EXPECT_EQ(trackText(track), c.expected);
        EXPECT_EQ(cursor.time(), c.cursorTime);
        ASSERT_FALSE(cursor.atEnd());
        EXPECT_EQ(describe(cursor.event().message), c.cursorEvent);
    }
}

TEST(TrackOperationsShiftEarlier, MovesAndPullsBack) {
    runShiftCases({
        // note: another note's off at 97 lies between the target 96 and the on at 98
        {"note-off at 97 is pulled to 96 ahead of the note-on",
         "0 on 0 50, 97 off 0 50, 98 on 0 60, 150 off 0 60, 200 on 0 62", 2, -2, 0,
         "0 on 0 50, 96 off 0 50, 96 on 0 60, 148 off 0 60, 200 on 0 62", 96, "on 0 60"},
        // note: events at the target stay ahead; those after it keep their order
        {"run between target and old time is pulled back in order",
         "80 st b0 01, 90 st b0 02, 93 st b0 03, 95 st b0 04, 98 st b0 05, 110 st b0 06", 4, -8, 0,
         "80 st b0 01, 90 st b0 02, 90 st b0 03, 90 st b0 04, 90 st b0 05, 110 st b0 06", 90,
         "st b0 05"},
        {"first event of the track pulled back too", "5 st b0 01, 7 st b0 02, 9 st b0 03", 1, -6,
         0, "1 st b0 01, 1 st b0 02, 9 st b0 03", 1, "st b0 02"},
        {"target before tick 0 stops at 0, the note-off follows by as much",
         "3 on 0 60, 20 off 0 60", 0, -10, 0, "0 on 0 60, 17 off 0 60", 0, "on 0 60"},
        // note: new off time 48; the event at 49 is passed, the one at 48 is not
        {"real note-off moves along, passing back only events later than it",
         "10 on 0 60, 47 st b0 01, 48 st b0 02, 49 st b0 03, 50 off 0 60, 60 st b0 04", 0, -2, 0,
         "8 on 0 60, 47 st b0 01, 48 st b0 02, 48 off 0 60, 49 st b0 03, 60 st b0 04", 8,
         "on 0 60"},
        {"velocity-0 note-on moves as a real note-off", "30 on 0 60, 50 on0 0 60", 0, -6, 0,
         "24 on 0 60, 44 off 0 60", 24, "on 0 60"},
        {"proprietary note-on takes its real note-off along", "100 KQVLEVT 90 3c, 130 off 0 60", 0,
         -4, 0, "96 KQVLEVT 90 3c, 126 off 0 60", 96, "KQVLEVT 90 3c"},
        {"a proprietary note-off stays where it is", "10 on 0 60, 96 KQVLEVT 80 3c", 0, -2, 0,
         "8 on 0 60, 96 KQVLEVT 80 3c", 8, "on 0 60"},
    });
}

TEST(TrackOperationsShiftEarlier, PulledBarMarkerMovesCursorBarTime) {
    MidiTrack t = trackFromText("0 st b0 01, 97 KQVLBAR, 98 st b0 02");
    TrackCursor c = cursorAt(t, 2);
    ASSERT_EQ(c.barTime(), 97);
    shiftEvent(c, -2);
    EXPECT_EQ(trackText(t), "0 st b0 01, 96 KQVLBAR, 96 st b0 02");
    EXPECT_EQ(c.barTime(), 96);
    EXPECT_EQ(c.timeSinceBar(), 0);
}

TEST(TrackOperationsShiftLater, DeletesShortensOrPasses) {
    runShiftCases({
        {"later by exactly its length: both events deleted", "0 on 0 60, 5 st b0 01, 10 off 0 60",
         0, 10, 0, "0 KQVLZZZ, 5 st b0 01, 10 KQVLZZZ", 0, kDeleted},
        {"later by more than its length: both events deleted", "4 on 0 60, 10 off 0 60, 12 st b0 01",
         0, 7, 0, "4 KQVLZZZ, 10 KQVLZZZ, 12 st b0 01", 4, kDeleted},
        {"note-on without note-off is always deleted", "0 on 0 60, 100 st b0 01", 0, 1, 0,
         "0 KQVLZZZ, 100 st b0 01", 0, kDeleted},
        // note: new on time 3; events at 1 and 2 are passed, the one at 3 is not
        {"later by less: shorter note, events passed are counted",
         "0 on 0 60, 1 st b0 01, 2 st b0 02, 3 st b0 03, 10 off 0 60", 0, 3, 2,
         "1 st b0 01, 2 st b0 02, 3 on 0 60, 3 st b0 03, 10 off 0 60", 3, "on 0 60"},
        {"other event passes every event earlier than its new time",
         "0 st b0 01, 5 st b0 02, 5 st b0 03, 6 st b0 04", 0, 6, 2,
         "5 st b0 02, 5 st b0 03, 6 st b0 01, 6 st b0 04", 6, "st b0 01"},
        {"last event of the track", "0 st b0 01, 10 st b0 02", 1, 5, 0,
         "0 st b0 01, 15 st b0 02", 15, "st b0 02"},
        {"a note-off is moved, never deleted", "0 on 0 60, 10 off 0 60, 12 st b0 01", 1, 50, 1,
         "0 on 0 60, 12 st b0 01, 60 off 0 60", 60, "off 0 60"},
    });
}

TEST(TrackOperationsShiftLater, PassingBarMarkerMovesCursorBarTime) {
    MidiTrack t = trackFromText("0 KQVLBAR, 2 st b0 01, 4 KQVLBAR, 8 st b0 02");
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
    MidiTrack t = trackFromText("90 on 0 60 77, 96 KQVLEVT 80 3c, 96 KQVLBAR, 96 KQVLEVT 90 3c, "
                                "150 off 0 60");
    TrackCursor c = cursorAt(t, 0);
    EXPECT_EQ(shiftEvent(c, 6), 0u);
    EXPECT_EQ(trackText(t), "90 KQVLZZZ, 96 KQVLZZZ, 96 KQVLBAR, 96 on 0 60, 150 off 0 60");
    EXPECT_EQ(posAt(t, 3)->message.data2, 77);
    EXPECT_EQ(c.time(), 90);
}

TEST(TrackOperationsShift, ZeroTicksAndEndChangeNothing) {
    MidiTrack t = trackFromText("0 on 0 60, 10 off 0 60");
    const std::vector<Timed> before = listTrack(t);
    TrackCursor c(t);
    EXPECT_EQ(shiftEvent(c, 0), 0u);
    TrackCursor atEnd = cursorAt(t, 2);
    EXPECT_EQ(shiftEvent(atEnd, 5), 0u);
    EXPECT_EQ(shiftEvent(atEnd, -5), 0u);
    EXPECT_EQ(listTrack(t), before);
}

TEST(TrackOperationsShift, HugeAmountsStayWithinDeltaRange) {
    MidiTrack t = trackFromText("10 st b0 01, 20 st b0 02");
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
    MidiTrack t = trackFromText("5 on 0 60, 9 st b0 01, 20 off 0 60");
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
    const char* track;
    size_t on;
    size_t off;
    const char* expected;
};

TEST(TrackOperationsDelete, TiedPieceHandsOverAlongTheChain) {
    const std::vector<TiedPieceCase> cases = {
        // note: the nearest later proprietary on of channel 0 key 60 is the heir
        {"first piece: next proprietary note-on becomes the real note-on",
         "0 on 0 60, 96 KQVLEVT 80 3c, 96 KQVLBAR, 96 KQVLEVT 91 3c, 96 KQVLEVT 90 3c, "
         "192 KQVLEVT 80 3c, 192 KQVLBAR, 192 KQVLEVT 90 3c, 200 off 0 60",
         0, 1,
         "0 KQVLZZZ, 96 KQVLZZZ, 96 KQVLBAR, 96 KQVLEVT 91 3c, 96 on 0 60, "
         "192 KQVLEVT 80 3c, 192 KQVLBAR, 192 KQVLEVT 90 3c, 200 off 0 60"},
        // note: the nearest earlier proprietary off of channel 0 key 60 is the heir
        {"last piece: previous proprietary note-off becomes the real note-off",
         "0 on 0 60, 96 KQVLEVT 80 3c, 96 KQVLEVT 80 3e, 96 KQVLBAR, 96 KQVLEVT 90 3c, "
         "96 KQVLEVT 90 3e, 120 off 0 60, 130 off 0 62",
         4, 6,
         "0 on 0 60, 96 off 0 60, 96 KQVLEVT 80 3e, 96 KQVLBAR, 96 KQVLZZZ, 96 KQVLEVT 90 3e, "
         "120 KQVLZZZ, 130 off 0 62"},
        {"middle piece: nothing handed over",
         "0 on 0 60, 96 KQVLEVT 80 3c, 96 KQVLEVT 90 3c, 192 KQVLEVT 80 3c, 192 KQVLEVT 90 3c, "
         "200 off 0 60",
         2, 3,
         "0 on 0 60, 96 KQVLEVT 80 3c, 96 KQVLZZZ, 192 KQVLZZZ, 192 KQVLEVT 90 3c, 200 off 0 60"},
        {"whole note: nothing handed over",
         "0 KQVLEVT 80 3c, 10 on 0 60, 20 off 0 60, 30 KQVLEVT 90 3c", 1, 2,
         "0 KQVLEVT 80 3c, 10 KQVLZZZ, 20 KQVLZZZ, 30 KQVLEVT 90 3c"},
        {"first piece without any later piece", "0 on 0 60, 96 KQVLEVT 80 3c, 96 KQVLEVT 90 3d",
         0, 1, "0 KQVLZZZ, 96 KQVLZZZ, 96 KQVLEVT 90 3d"},
    };
    for (const TiedPieceCase& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        deleteTiedPiece(track, posAt(track, c.on), posAt(track, c.off));
        EXPECT_EQ(trackText(track), c.expected);
    }
}

TEST(TrackOperationsDelete, HeirKeepsItsTimeAndAnnotations) {
    MidiTrack t = trackFromText("0 on 0 60 90, 96 KQVLEVT 80 3c, 96 KQVLBAR, 96 KQVLEVT 90 3c, "
                                "150 off 0 60");
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
    MidiTrack t = trackFromText("0 st b0 01, 10 st b0 02, 30 st b0 03, 40 st b0 04");
    const EventPos moved = posAt(t, 2);
    EXPECT_TRUE(moveBackOnePlace(t, moved));
    EXPECT_EQ(trackText(t), "0 st b0 01, 10 st b0 03, 10 st b0 02, 40 st b0 04");
    EXPECT_EQ(indexOf(t, moved), 1u);

    // Again: now it becomes the first event, at the first event's time.
    EXPECT_TRUE(moveBackOnePlace(t, moved));
    const std::string twice = "0 st b0 03, 0 st b0 01, 10 st b0 02, 40 st b0 04";
    EXPECT_EQ(trackText(t), twice);

    EXPECT_FALSE(moveBackOnePlace(t, moved));
    EXPECT_FALSE(moveBackOnePlace(t, t.end()));
    EXPECT_EQ(trackText(t), twice);
}

// ---- purgeDeleted --------------------------------------------------------

TEST(TrackOperationsPurge, RemovesMarkersKeepingTimes) {
    const struct {
        const char* name;
        const char* track;
        size_t removed;
        const char* expected;
    } cases[] = {
        {"markers inside a run and at the end",
         "0 st b0 01, 5 KQVLZZZ, 5 st b0 02, 8 KQVLZZZ, 9 KQVLZZZ, 12 st b0 03, 20 KQVLZZZ", 4,
         "0 st b0 01, 5 st b0 02, 12 st b0 03"},
        {"everything deleted", "3 KQVLZZZ, 7 KQVLZZZ", 2, ""},
        {"a longer text is no deleted-event marker", "3 KQVLZZZ , 7 KQVLBAR, 9 st b0 01", 0,
         "3 KQVLZZZ , 7 KQVLBAR, 9 st b0 01"},
        {"empty track", "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        EXPECT_EQ(purgeDeleted(track), c.removed);
        EXPECT_EQ(trackText(track), c.expected);
    }
}

TEST(TrackOperationsPurge, CancelLeavesTheRestForTheNextPurge) {
    MidiTrack t =
        trackFromText("0 st b0 01, 2 KQVLZZZ, 4 st b0 02, 6 st b0 03, 8 KQVLZZZ, 10 st b0 04");
    // Six events: index i reports (i + 1) * 100 / 6 percent, so index 3 is the
    // first at 60 or more.
    size_t removed = 0;
    {
        test::FakeHost host;
        host.cancelFromPercent(60);
        EventProgress progress(host.progress, t.size());
        removed = purgeDeleted(t, &progress);
    }
    EXPECT_EQ(removed, 1u);
    EXPECT_EQ(trackText(t), "0 st b0 01, 4 st b0 02, 6 st b0 03, 8 KQVLZZZ, 10 st b0 04");

    EXPECT_EQ(purgeDeleted(t), 1u);
    EXPECT_EQ(trackText(t), "0 st b0 01, 4 st b0 02, 6 st b0 03, 10 st b0 04");
}

// ---- Channel mask --------------------------------------------------------

TEST(TrackOperationsChannelMask, CombinedChannels) {
    const struct {
        const char* name;
        const char* track;
        uint16_t mask;
    } cases[] = {
        {"meta events only", "0 TS 4 2, 0 KS 0 0, 0 KQVLBAR", 0},
        {"real channels 0 and 9", "0 on 9 36, 5 st b0 01", 0x0201},
        {"proprietary notes count with their note's channel", "0 KQVLEVT 95 3c, 10 KQVLEVT 8f 3c",
         0x8020},
        {"deleted markers and other markers count nothing",
         "0 KQVLZZZ, 0 KQVLEVT 70 3c, 0 KQVLMTA 58 04 02, 1 st c3 05", 0x0008},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        track.channelMask = 0xFFFF;
        EXPECT_EQ(computeChannelMask(track), c.mask);
        EXPECT_EQ(track.channelMask, c.mask);
    }
}

}  // namespace
}  // namespace vl
