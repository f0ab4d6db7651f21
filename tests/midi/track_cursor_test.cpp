// Walking a track with a cursor: absolute and bar times both ways, insertion, the
// quarter phase and the search for an insertion point.

#include "midi/track_cursor.h"

#include <gtest/gtest.h>

#include <iterator>

#include "support/track_text.h"

namespace vl::test {
namespace {

long indexOf(const TrackCursor& c) { return std::distance(c.track().events.begin(), c.position()); }

// Times and bar times of every event, as "time/bar time".
std::string forwards(TrackCursor& c) {
    std::string out;
    for (; !c.atEnd(); c.advance())
        out += std::to_string(c.time()) + "/" + std::to_string(c.barTime()) + " ";
    return out;
}

std::string backwards(TrackCursor& c) {
    std::string out;
    while (c.hasPrevious()) {
        c.retreat();
        out += std::to_string(c.time()) + "/" + std::to_string(c.barTime()) + " ";
    }
    return out;
}

TEST(TrackCursor, walks_absolute_and_bar_times_forwards_and_back) {
    MidiTrack t = trackFromText("0 on 0 60, 24 on 0 60, 384 KQVLBAR, 408 on 0 60, 408 on 0 60, "
                                "768 KQVLBAR, 888 on 0 60");
    TrackCursor c(t);
    EXPECT_EQ(forwards(c), "0/0 24/0 384/384 408/384 408/384 768/768 888/768 ");
    EXPECT_EQ(c.time(), 888);  // the end keeps the last event's time
    c.advance();
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(backwards(c), "888/768 768/768 408/384 408/384 384/384 24/0 0/0 ");
    c.retreat();  // nothing before the first event
    EXPECT_EQ(indexOf(c), 0);
    EXPECT_EQ(c.timeSinceBar(), 0);
}

TEST(TrackCursor, an_empty_track_is_at_its_end_with_time_zero) {
    MidiTrack t(96);
    TrackCursor c(t);
    c.advance();
    c.retreat();
    EXPECT_TRUE(c.atEnd());
    EXPECT_FALSE(c.hasPrevious());
    EXPECT_EQ(c.time(), 0);
    EXPECT_FALSE(c.seekInsertionPoint(0));
}

TEST(TrackCursor, retreating_over_the_first_bar_marker_starts_the_bar_at_the_first_event) {
    MidiTrack t = trackFromText("10 on 0 60, 384 KQVLBAR, 408 on 0 60");
    TrackCursor c(t);
    c.advance();
    c.advance();
    EXPECT_EQ(c.timeSinceBar(), 24);
    EXPECT_EQ(backwards(c), "384/384 10/10 ");
}

TEST(TrackCursor, inserting_stands_on_the_new_event_without_passing_it) {
    MidiTrack t = trackFromText("0 on 0 60, 30 on 0 61");
    TrackCursor c(t);
    c.advance();
    ASSERT_TRUE(c.insertBefore(10, MidiEvent(0, "KQVLBAR")));
    EXPECT_TRUE(c.event().message.isBarMarker());
    EXPECT_EQ(indexOf(c), 1);
    EXPECT_FALSE(c.insertBefore(21, MidiEvent(0, "KQVLBAR")));  // the new delta is 20
    EXPECT_EQ(forwards(c), "20/0 30/0 ");
    EXPECT_EQ(trackText(t), "0 on 0 60, 20 KQVLBAR, 30 on 0 61");
}

TEST(TrackCursor, the_quarter_phase_is_the_sixteenth_within_the_quarter_since_the_bar) {
    MidiTrack t = trackFromText("0 on 0 60, 24 on 0 60, 48 on 0 60, 72 on 0 60, 96 on 0 60, "
                                "120 on 0 60, 150 KQVLBAR, 150 on 0 60, 174 on 0 60, 270 on 0 60");
    std::string phases;
    for (TrackCursor c(t); !c.atEnd(); c.advance()) phases += std::to_string(c.quarterPhase());
    EXPECT_EQ(phases, "0123010011");
    MidiTrack zero = trackFromText("50 on 0 60", 0);
    EXPECT_EQ(TrackCursor(zero).quarterPhase(), 0);
}

TEST(TrackCursor, the_insertion_point_is_the_first_event_later_than_the_time) {
    MidiTrack t = trackFromText("0 on 0 60, 10 on 0 60, 10 on 0 60, 20 on 0 60");
    const struct {
        long start;  // 4 = end
        int64_t target;
        bool found;
        long index;
    } cases[] = {{0, 10, true, 3},  {4, 5, true, 1},  {3, 0, true, 1},   {2, -1, true, 0},
                 {4, 9, true, 1},   {0, 19, true, 3}, {0, 20, false, 4}, {1, 25, false, 4}};
    for (const auto& k : cases) {
        TrackCursor c(t);
        for (long i = 0; i < k.start; ++i) c.advance();
        EXPECT_EQ(c.seekInsertionPoint(k.target), k.found) << k.start << " " << k.target;
        EXPECT_EQ(indexOf(c), k.index) << k.start << " " << k.target;
    }
}

}  // namespace
}  // namespace vl::test
