// The event list: edits keep the ring and the count in step, nodes are reused and stay
// put, whole lists are taken over, copied and moved, and compacting lays them out.

#include "midi/event_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

namespace vl::test {
namespace {

// Distance between neighbouring nodes of one chunk: two links and the event, padded.
constexpr uintptr_t kNodeStride =
    (2 * sizeof(void*) + sizeof(MidiEvent) + alignof(void*) - 1) / alignof(void*) * alignof(void*);

// Events told apart by their delta; every third has a payload on the heap, so the
// sanitizer build sees every copy, move and destruction of one.
MidiEvent event(uint32_t id) {
    if (id % 3 == 0) return MidiEvent(id, std::string(40, static_cast<char>('a' + id % 26)));
    return MidiEvent(id, MidiMessage::channel(kind::NoteOn, 0, 60, 100));
}

EventList listOf(const std::vector<uint32_t>& ids) {
    EventList list;
    for (uint32_t id : ids) list.push_back(event(id));
    return list;
}

// The ids forwards; checks that backwards and the count agree.
std::vector<uint32_t> ids(const EventList& list) {
    std::vector<uint32_t> out;
    for (const MidiEvent& e : list) out.push_back(e.time);
    std::vector<uint32_t> back;
    for (auto it = list.rbegin(); it != list.rend(); ++it) back.push_back(it->time);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, out);
    EXPECT_EQ(list.size(), out.size());
    return out;
}

TEST(EventList, edits_keep_the_ring_and_the_count_in_step) {
    EventList list = listOf({1, 2, 3, 4});
    const auto first = list.begin();
    const auto second = std::next(first);
    const auto fourth = std::prev(list.end());
    list.insert(second, event(10));
    list.erase(std::next(second));               // drops 3
    list.moveBefore(list.begin(), fourth);       // 4 to the front
    list.moveBefore(list.end(), first);          // 1 to the back
    list.moveBefore(std::next(fourth), fourth);  // in front of its own successor
    list.moveBefore(fourth, fourth);             // in front of itself
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{4, 10, 2, 1}));
    list.pop_front();
    list.pop_back();
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{10, 2}));
    EventList run = listOf({6, 7});
    EXPECT_EQ(list.takeAllBefore(std::next(list.begin()), run)->time, 6u);
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{10, 6, 7, 2}));
    EXPECT_EQ(ids(run), std::vector<uint32_t>{});
    EXPECT_EQ(list.takeAllBefore(list.end(), run), list.end());
    run.push_back(event(9));  // the emptied list is usable again
    EXPECT_EQ(ids(run), std::vector<uint32_t>{9});
}

TEST(EventList, freed_nodes_are_reused_and_the_others_stay_put) {
    EventList list = listOf({1, 2, 3});
    MidiEvent* kept = &*std::next(list.begin());
    for (uint32_t i = 0; i < 10000; ++i) {
        list.insert(list.begin(), event(100 + i % 7));
        list.erase(list.begin());
    }
    EXPECT_EQ(&*std::next(list.begin()), kept);
    EXPECT_EQ(ids(list), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(EventList, copies_are_deep_and_moves_keep_positions) {
    for (size_t n : {0u, 1u, 8u, 9u, 3000u}) {
        SCOPED_TRACE(n);
        std::vector<uint32_t> expected(n);
        std::iota(expected.begin(), expected.end(), 0u);
        EventList original = listOf(expected);
        EventList copy = original;
        if (n > 0) copy.front().time = 999;
        const auto firstBefore = original.begin();
        EventList moved = std::move(original);
        EXPECT_EQ(ids(moved), expected);
        EXPECT_TRUE(n == 0 || moved.begin() == firstBefore);
        EXPECT_TRUE(original.empty());  // NOLINT: a moved-from list is empty
        copy = moved;
        EXPECT_EQ(ids(copy), expected);
        moved = EventList();
        copy.clear();
        copy.push_back(event(5));
        EXPECT_EQ(ids(copy), std::vector<uint32_t>{5});
        EXPECT_EQ(ids(moved), std::vector<uint32_t>{});
    }
}

size_t jumpsInMemory(const EventList& list) {
    size_t jumps = 0;
    const MidiEvent* previous = nullptr;
    for (const MidiEvent& e : list) {
        const auto here = reinterpret_cast<uintptr_t>(&e);
        jumps += previous != nullptr && here != reinterpret_cast<uintptr_t>(previous) + kNodeStride;
        previous = &e;
    }
    return jumps;
}

// Edits of every kind scatter the nodes; the same edits on a vector give the order.
TEST(EventList, compacting_keeps_the_order_and_lays_it_out_in_memory) {
    EventList list;
    std::vector<uint32_t> expected;
    uint32_t next = 0;
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8) % n; };
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
    ASSERT_GT(jumpsInMemory(list), 100u);
    list.compact();
    EXPECT_EQ(ids(list), expected);
    EXPECT_LE(jumpsInMemory(list), expected.size() / 1024 + 8);  // chunks of up to 1,024 nodes
    const size_t before = jumpsInMemory(list);
    list.push_back(event(next));  // the freed nodes come next in memory
    EXPECT_EQ(jumpsInMemory(list), before);
    EventList empty;
    empty.compact();
    EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace vl::test
