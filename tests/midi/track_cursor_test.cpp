#include "midi/track_cursor.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace vl {
namespace {

MidiEvent note(uint32_t delta, uint8_t key = 60) {
    return MidiEvent(delta, MidiMessage::channel(kind::NoteOn, 0, key, 100));
}
MidiEvent bar(uint32_t delta) { return MidiEvent(delta, kBarMarkerText); }

long indexOf(const TrackCursor& c) {
    return std::distance(c.track().events.begin(), c.position());
}

// Division 96, 4/4: notes at 0 and 24, bar at 384, two notes at 408, bar at
// 768, a note at 888.
MidiTrack twoBars() {
    MidiTrack t(96);
    for (MidiEvent e : {note(0), note(24), bar(360), note(24), note(0), bar(360), note(120)})
        t.append(std::move(e));
    return t;
}

TEST(TrackCursorTest, EmptyTrackStartsAtEndWithTimeZero) {
    MidiTrack t(96);
    TrackCursor c(t);
    EXPECT_TRUE(c.atEnd());
    EXPECT_FALSE(c.hasPrevious());
    EXPECT_EQ(c.time(), 0);
    c.advance();
    c.retreat();
    EXPECT_TRUE(c.atEnd());
    EXPECT_FALSE(c.seekInsertionPoint(0));
}

TEST(TrackCursorTest, AdvanceSumsDeltasAndRetreatRetracesBarTimes) {
    MidiTrack t = twoBars();
    const std::vector<int64_t> times = {0, 24, 384, 408, 408, 768, 888};
    const std::vector<int64_t> barTimes = {0, 0, 384, 384, 384, 768, 768};

    TrackCursor c(t);
    for (size_t i = 0; i < times.size(); ++i) {
        ASSERT_FALSE(c.atEnd());
        EXPECT_EQ(c.time(), times[i]) << i;
        EXPECT_EQ(c.barTime(), barTimes[i]) << i;
        EXPECT_EQ(c.timeSinceBar(), times[i] - barTimes[i]) << i;
        c.advance();
    }
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(c.time(), 888);  // the end keeps the last event's time
    c.advance();
    EXPECT_TRUE(c.atEnd());

    for (size_t i = times.size(); i-- > 0;) {
        ASSERT_TRUE(c.hasPrevious());
        c.retreat();
        EXPECT_EQ(indexOf(c), static_cast<long>(i));
        EXPECT_EQ(c.time(), times[i]) << i;
        EXPECT_EQ(c.barTime(), barTimes[i]) << i;
    }
    EXPECT_FALSE(c.hasPrevious());
    c.retreat();  // nothing before the first event
    EXPECT_EQ(indexOf(c), 0);
    EXPECT_EQ(c.time(), 0);
}

TEST(TrackCursorTest, RetreatOverFirstBarMarkerGoesBackToTheFirstEvent) {
    MidiTrack t(96);
    for (MidiEvent e : {note(10), bar(374), note(24)}) t.append(std::move(e));
    TrackCursor c(t);
    c.advance();
    c.advance();
    EXPECT_EQ(c.barTime(), 384);
    c.retreat();
    EXPECT_EQ(c.barTime(), 384);  // standing on the marker
    c.retreat();
    // With no earlier marker the bar is taken to begin at the first event.
    EXPECT_EQ(c.time(), 10);
    EXPECT_EQ(c.barTime(), 10);
}

TEST(TrackCursorTest, InsertBeforeStandsOnTheNewEvent) {
    MidiTrack t(96);
    for (MidiEvent e : {note(0, 60), note(30, 61)}) t.append(std::move(e));
    TrackCursor c(t);
    c.advance();
    ASSERT_TRUE(c.insertBefore(10, bar(0)));
    EXPECT_TRUE(c.event().message.isBarMarker());
    EXPECT_EQ(c.time(), 20);
    EXPECT_EQ(indexOf(c), 1);
    // Refused: the new event's delta is 20.
    EXPECT_FALSE(c.insertBefore(21, note(0, 70)));
    EXPECT_EQ(c.time(), 20);
    EXPECT_EQ(t.size(), 3u);
    c.advance();
    EXPECT_EQ(c.time(), 30);
    EXPECT_EQ(c.event().message.data1, 61);
    EXPECT_EQ(c.barTime(), 0);  // inserting a marker is not passing it
}

TEST(TrackCursorTest, QuarterPhaseIsTheSixteenthWithinTheQuarter) {
    MidiTrack t(96);
    // 0, 24, 48, 72, 96, 120, bar at 150, notes at 150, 174 and 270.
    for (MidiEvent e : {note(0), note(24), note(24), note(24), note(24), note(24), bar(30),
                        note(0), note(24), note(96)})
        t.append(std::move(e));
    const std::vector<int> phases = {0, 1, 2, 3, 0, 1, 0, 0, 1, 1};
    TrackCursor c(t);
    for (size_t i = 0; i < phases.size(); ++i, c.advance())
        EXPECT_EQ(c.quarterPhase(), phases[i]) << i;
}

TEST(TrackCursorTest, QuarterPhaseWithDivisionZeroIsZero) {
    MidiTrack t(0);
    t.append(note(50));
    TrackCursor c(t);
    EXPECT_EQ(c.quarterPhase(), 0);
}

TEST(TrackCursorTest, InsertionPointIsTheFirstEventLaterThanTheTime) {
    // Events at 0, 10, 10, 20.
    MidiTrack t(96);
    for (MidiEvent e : {note(0), note(10), note(0), note(10)}) t.append(std::move(e));
    const struct {
        long start;  // 4 = end
        int64_t target;
        bool found;
        long index;
        int64_t time;
    } cases[] = {
        {0, 10, true, 3, 20},  {4, 5, true, 1, 10},   {3, 0, true, 1, 10},
        {2, -1, true, 0, 0},   {4, 9, true, 1, 10},   {0, 19, true, 3, 20},
        {0, 20, false, 4, 20}, {1, 25, false, 4, 20},
    };
    for (const auto& k : cases) {
        TrackCursor c(t);
        for (long i = 0; i < k.start; ++i) c.advance();
        EXPECT_EQ(c.seekInsertionPoint(k.target), k.found) << k.start << " " << k.target;
        EXPECT_EQ(indexOf(c), k.index) << k.start << " " << k.target;
        EXPECT_EQ(c.time(), k.time) << k.start << " " << k.target;
    }
}

}  // namespace
}  // namespace vl
