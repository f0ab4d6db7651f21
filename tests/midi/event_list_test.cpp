#include "midi/event_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace vl {
namespace {

// Distance between neighbouring nodes of one chunk: two links and the event,
// padded to the links' alignment.
constexpr uintptr_t kNodeStride =
    (2 * sizeof(void*) + sizeof(MidiEvent) + alignof(void*) - 1) / alignof(void*) * alignof(void*);

// Events told apart by their delta; a long payload puts some on the heap, so
// the sanitizer build sees every copy, move and destruction of a payload.
MidiEvent event(uint32_t id) {
    if (id % 3 == 0) return MidiEvent(id, std::string(40, static_cast<char>('a' + id % 26)));
    return MidiEvent(id, MidiMessage::channel(kind::NoteOn, 0, 60, 100));
}

EventList listOf(const std::vector<uint32_t>& ids) {
    EventList list;
    for (uint32_t id : ids) list.push_back(event(id));
    return list;
}

std::vector<uint32_t> ids(const EventList& list) {
    std::vector<uint32_t> out;
    for (const MidiEvent& e : list) out.push_back(e.time);
    return out;
}

std::vector<uint32_t> idsBackwards(const EventList& list) {
    std::vector<uint32_t> out;
    for (auto it = list.rbegin(); it != list.rend(); ++it) out.push_back(it->time);
    return out;
}

TEST(EventListTest, EditsKeepTheRingAndTheCountInStep) {
    EventList list = listOf({1, 2, 3, 4});
    const EventList::iterator first = list.begin();
    const EventList::iterator second = std::next(first);
    const EventList::iterator fourth = std::prev(list.end());
    list.insert(second, event(10));
    list.erase(std::next(second));               // drops 3
    list.moveBefore(list.begin(), fourth);       // 4 to the front
    list.moveBefore(list.end(), first);          // 1 to the back
    list.moveBefore(std::next(fourth), fourth);  // in front of its own successor
    list.moveBefore(fourth, fourth);             // in front of itself
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{4, 10, 2, 1}));
    EXPECT_EQ(idsBackwards(list), (std::vector<uint32_t>{1, 2, 10, 4}));
    EXPECT_EQ(list.size(), 4u);
    list.pop_front();
    list.pop_back();
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{10, 2}));
    EXPECT_EQ(list.size(), 2u);
}

TEST(EventListTest, FreedNodesAreReusedAndOthersStayPut) {
    EventList list = listOf({1, 2, 3});
    MidiEvent* kept = &*std::next(list.begin());
    for (uint32_t i = 0; i < 10000; ++i) {
        list.insert(list.begin(), event(100 + i % 7));
        list.erase(list.begin());
    }
    EXPECT_EQ(&*std::next(list.begin()), kept);
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(EventListTest, TakeAllMovesEveryEventAndEmptiesTheSource) {
    EventList list = listOf({1, 2});
    EventList run = listOf({6, 7, 8});
    const EventList::iterator first = list.takeAllBefore(std::next(list.begin()), run);
    EXPECT_EQ(first->time, 6u);
    EXPECT_TRUE(run.empty());
    EXPECT_EQ(run.begin(), run.end());
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{1, 6, 7, 8, 2}));
    EventList none;
    EXPECT_EQ(list.takeAllBefore(list.end(), none), list.end());
    run.push_back(event(9));  // the emptied list is usable again
    EXPECT_EQ(ids(run), (std::vector<uint32_t>{9}));
}

TEST(EventListTest, CopiesAreDeepAndMovesKeepPositions) {
    for (size_t n : {0u, 1u, 8u, 9u, 3000u}) {
        SCOPED_TRACE(n);
        std::vector<uint32_t> expected;
        for (uint32_t i = 0; i < n; ++i) expected.push_back(i);
        EventList original = listOf(expected);
        EventList copy = original;
        if (n > 0) copy.front().time = 999;
        EXPECT_EQ(ids(original), expected);

        const EventList::iterator firstBefore = original.begin();
        EventList moved = std::move(original);
        EXPECT_EQ(ids(moved), expected);
        EXPECT_EQ(idsBackwards(moved).size(), n);
        if (n > 0) {
            EXPECT_EQ(moved.begin(), firstBefore);
        }
        EXPECT_TRUE(original.empty());  // NOLINT: a moved-from list is empty

        copy = moved;
        EXPECT_EQ(ids(copy), expected);
        moved = EventList();
        EXPECT_EQ(moved.begin(), moved.end());
        copy.clear();
        EXPECT_TRUE(copy.empty());
        copy.push_back(event(5));
        EXPECT_EQ(ids(copy), (std::vector<uint32_t>{5}));
    }
}

// Steps between neighbouring events that are not to the next node in memory.
size_t jumpsInMemory(const EventList& list) {
    size_t jumps = 0;
    const MidiEvent* previous = nullptr;
    for (const MidiEvent& e : list) {
        const auto here = reinterpret_cast<uintptr_t>(&e);
        if (previous != nullptr && here != reinterpret_cast<uintptr_t>(previous) + kNodeStride)
            ++jumps;
        previous = &e;
    }
    return jumps;
}

TEST(EventListTest, CompactingKeepsTheOrderAndLaysItOutInMemory) {
    // Edits of every kind scatter the nodes; the same edits on a vector give
    // the order the list must keep.
    EventList list;
    std::vector<uint32_t> expected;
    uint32_t next = 0;
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 4000; ++round) {
        const uint32_t at = expected.empty() ? 0 : random(static_cast<uint32_t>(expected.size()));
        const uint32_t what = random(4);
        if (what < 2 || expected.empty()) {
            list.insert(std::next(list.begin(), at), event(next));
            expected.insert(expected.begin() + at, next++);
        } else if (what == 2) {
            list.erase(std::next(list.begin(), at));
            expected.erase(expected.begin() + at);
        } else {
            list.moveBefore(list.begin(), std::next(list.begin(), at));
            std::rotate(expected.begin(), expected.begin() + at, expected.begin() + at + 1);
        }
    }
    ASSERT_EQ(ids(list), expected);
    ASSERT_GT(jumpsInMemory(list), 100u);
    list.compact();
    EXPECT_EQ(ids(list), expected);
    EXPECT_EQ(idsBackwards(list).size(), expected.size());
    // Only chunk boundaries remain (chunks of up to 1,024 nodes).
    EXPECT_LE(jumpsInMemory(list), expected.size() / 1024 + 8);
    // The freed nodes come next: an event added at the end follows in memory.
    const size_t before = jumpsInMemory(list);
    list.push_back(event(next));
    EXPECT_EQ(jumpsInMemory(list), before);
    list.compact();  // twice is harmless
    expected.push_back(next);
    EXPECT_EQ(ids(list), expected);
    EventList empty;
    empty.compact();
    EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace vl
