#include "midi/midi_track.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace vl {
namespace {

// A track of note-ons with the given deltas; key k + 60 for the k-th event,
// so events can be told apart after edits.
MidiTrack trackWithDeltas(const std::vector<uint32_t>& deltas) {
    MidiTrack t(96);
    uint8_t key = 60;
    for (uint32_t d : deltas)
        t.append(MidiEvent(d, MidiMessage::channel(kind::NoteOn, 0, key++, 100)));
    return t;
}

std::vector<uint64_t> absoluteTimes(const MidiTrack& t) {
    std::vector<uint64_t> out;
    uint64_t now = 0;
    for (const MidiEvent& e : t.events) out.push_back(now += e.time);
    return out;
}

std::vector<int> keys(const MidiTrack& t) {
    std::vector<int> out;
    for (const MidiEvent& e : t.events) out.push_back(e.message.isNote() ? e.message.data1 : -1);
    return out;
}

EventPos at(MidiTrack& t, size_t i) { return std::next(t.begin(), static_cast<long>(i)); }

MidiEvent marker(uint32_t delta) { return MidiEvent(delta, kBarMarkerText); }

TEST(MidiTrackTest, InsertBeforeKeepsAbsoluteTimes) {
    // d < D, d = D, d = 0: the new event lands d ticks before the event at p.
    const struct {
        uint32_t ticksEarlier;
        uint64_t newTime;
    } cases[] = {{4, 6}, {10, 0}, {0, 10}};
    for (const auto& c : cases) {
        MidiTrack t = trackWithDeltas({0, 10, 5});
        const EventPos p = t.insertBefore(at(t, 1), c.ticksEarlier, marker(999));
        ASSERT_NE(p, t.end()) << c.ticksEarlier;
        EXPECT_TRUE(p->message.isBarMarker());
        EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, c.newTime, 10, 15}))
            << c.ticksEarlier;
        EXPECT_EQ(keys(t), (std::vector<int>{60, -1, 61, 62}));
    }
}

TEST(MidiTrackTest, InsertBeforeIsRefusedBeyondTheDeltaOrAtTheEnd) {
    MidiTrack t = trackWithDeltas({0, 10, 5});
    EXPECT_EQ(t.insertBefore(at(t, 2), 6, marker(0)), t.end());
    EXPECT_EQ(t.insertBefore(t.end(), 0, marker(0)), t.end());
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, 10, 15}));
    EXPECT_EQ(t.size(), 3u);
}

TEST(MidiTrackTest, EraseHandsTheDeltaToTheNextEvent) {
    MidiTrack t = trackWithDeltas({3, 10, 5, 2});
    const EventPos next = t.erase(at(t, 1));
    EXPECT_EQ(next->message.data1, 62);
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{3, 18, 20}));

    t.erase(t.begin());  // the first event's delta moves too
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{18, 20}));
}

TEST(MidiTrackTest, EraseOfTheLastEventChangesNothingElse) {
    MidiTrack t = trackWithDeltas({0, 10, 5});
    const EventPos next = t.erase(at(t, 2));
    EXPECT_EQ(next, t.end());
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, 10}));
    EXPECT_EQ(keys(t), (std::vector<int>{60, 61}));
    EXPECT_EQ(t.erase(t.end()), t.end());
    EXPECT_EQ(t.size(), 2u);
}

TEST(MidiTrackTest, InsertRunPlacesFirstEventEarlyAndKeepsTheOthersDeltas) {
    MidiTrack t = trackWithDeltas({0, 20, 5});
    EventList run;
    run.push_back(marker(999));  // delta replaced
    run.push_back(MidiEvent(3, MidiMessage::channel(kind::NoteOff, 0, 90, 0)));
    run.push_back(MidiEvent(0, MidiMessage::channel(kind::NoteOff, 0, 91, 0)));
    const EventPos first = t.insertRunBefore(at(t, 1), 8, run);
    EXPECT_EQ(first, at(t, 1));
    EXPECT_TRUE(run.empty());
    EXPECT_EQ(keys(t), (std::vector<int>{60, -1, 90, 91, 61, 62}));
    // First of the run: 20 - 8; the others as given; the event at p: 8.
    std::vector<uint32_t> deltas;
    for (const MidiEvent& e : t.events) deltas.push_back(e.time);
    EXPECT_EQ(deltas, (std::vector<uint32_t>{0, 12, 3, 0, 8, 5}));
}

TEST(MidiTrackTest, InsertRunOfSimultaneousEventsKeepsAbsoluteTimes) {
    MidiTrack t = trackWithDeltas({0, 20, 5});
    EventList run;
    run.push_back(marker(0));
    run.push_back(marker(0));
    const EventPos first = t.insertRunBefore(at(t, 1), 20, run);
    EXPECT_EQ(first, at(t, 1));
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, 0, 0, 20, 25}));
}

TEST(MidiTrackTest, RefusedRunInsertLeavesTrackAndRunAlone) {
    MidiTrack t = trackWithDeltas({0, 20});
    EventList run;
    run.push_back(marker(0));
    run.push_back(marker(4));
    EXPECT_EQ(t.insertRunBefore(at(t, 1), 21, run), t.end());
    EXPECT_EQ(t.insertRunBefore(t.end(), 0, run), t.end());
    EXPECT_EQ(run.size(), 2u);
    EXPECT_EQ(run.back().time, 4u);
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, 20}));
    EventList empty;
    EXPECT_EQ(t.insertRunBefore(at(t, 1), 0, empty), t.end());
    EXPECT_EQ(t.size(), 2u);
}

TEST(MidiTrackTest, PositionsStayValidAcrossEditsElsewhere) {
    MidiTrack t = trackWithDeltas({0, 10, 10, 10});
    const EventPos third = at(t, 2);
    t.insertBefore(at(t, 1), 5, marker(0));
    t.erase(at(t, 4));
    EXPECT_EQ(third->message.data1, 62);
    EXPECT_EQ(absoluteTimes(t), (std::vector<uint64_t>{0, 5, 10, 20}));
}

}  // namespace
}  // namespace vl
