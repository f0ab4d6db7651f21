// The event list: edits keep the ring and the count in step, nodes are reused and stay
// put, lists are taken over, copied and moved, and compacting lays them out in memory.

#include "midi/event_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace vl::test {
namespace {

// Events told apart by their delta; every third has a payload on the heap, so the
// sanitizer build sees every copy, move and destruction of one.
MidiEvent event(uint32_t id) {
    if (id % 3 == 0) return MidiEvent(id, std::string(40, static_cast<char>('a' + id % 26)));
    return MidiEvent(id, MidiMessage::channel(kind::NoteOn, 0, 60, 100));
}

// The ids forwards, after checking that backwards and the count agree.
std::vector<uint32_t> ids(const EventList& list) {
    std::vector<uint32_t> out, back;
    for (const MidiEvent& e : list) out.push_back(e.time);
    for (auto it = list.rbegin(); it != list.rend(); ++it) back.insert(back.begin(), it->time);
    EXPECT_EQ(back, out);
    EXPECT_EQ(list.size(), out.size());
    return out;
}

// Steps between neighbouring events that are not to the next node of a chunk.
size_t jumpsInMemory(const EventList& list) {
    constexpr uintptr_t stride = (2 * sizeof(void*) + sizeof(MidiEvent) + alignof(void*) - 1) /
                                 alignof(void*) * alignof(void*);
    size_t jumps = 0;
    uintptr_t previous = 0;
    for (const MidiEvent& e : list) {
        const auto here = reinterpret_cast<uintptr_t>(&e);
        jumps += previous != 0 && here != previous + stride;
        previous = here;
    }
    return jumps;
}

// Random edits of every kind, mirrored on a vector, scatter the nodes; copies, moves,
// takeovers and compacting must keep the order, and compacting the layout.
TEST(EventList, edits_copies_moves_and_compacting_keep_the_order) {
    EventList list;
    std::vector<uint32_t> expected;
    uint32_t next = 0, seed = 12345;
    auto random = [&seed](uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8) % n; };
    for (int round = 0; round < 4000; ++round) {
        const uint32_t at = expected.empty() ? 0 : random(static_cast<uint32_t>(expected.size()));
        const uint32_t what = expected.size() < 2 ? 0 : random(10);  // inserts outweigh
        const auto p = std::next(list.begin(), at);
        if (what < 4) {
            list.insert(p, event(next));
            expected.insert(expected.begin() + at, next++);
        } else if (what == 4) {
            list.erase(p);
            expected.erase(expected.begin() + at);
        } else if (what == 5) {
            list.moveBefore(list.begin(), p);
            std::rotate(expected.begin(), expected.begin() + at, expected.begin() + at + 1);
        } else if (what == 6) {
            list.moveBefore(list.end(), p);
            std::rotate(expected.begin() + at, expected.begin() + at + 1, expected.end());
        } else if (what == 7) {
            list.moveBefore(std::next(p), p);  // in front of its own successor: no change
            list.moveBefore(p, p);              // in front of itself: no change
        } else if (what == 8) {
            EventList run;
            run.push_back(event(next));
            list.takeAllBefore(p, run);
            EXPECT_TRUE(run.empty());
            expected.insert(expected.begin() + at, next++);
        } else {
            list.pop_front();
            list.pop_back();
            expected.erase(expected.begin());
            expected.pop_back();
        }
    }
    ASSERT_GT(jumpsInMemory(list), 100u);
    const MidiEvent* kept = &*std::next(list.begin(), 100);  // freed nodes are reused, others stay
    for (uint32_t i = 0; i < 10000; ++i) list.erase(list.insert(list.begin(), event(i % 7)));
    EXPECT_EQ(&*std::next(list.begin(), 100), kept);
    EventList none;
    EXPECT_EQ(list.takeAllBefore(list.end(), none), list.end());
    EventList copy = list;
    copy.front().time = 999999;  // deep
    const auto first = list.begin();
    EventList moved = std::move(list);
    EXPECT_EQ(moved.begin(), first);
    EXPECT_TRUE(list.empty());  // NOLINT(bugprone-use-after-move): a moved-from list is empty
    moved.compact();
    EXPECT_EQ(ids(moved), expected);
    EXPECT_LE(jumpsInMemory(moved), expected.size() / 1024 + 8);  // chunks of up to 1,024 nodes
    const size_t before = jumpsInMemory(moved);
    moved.push_back(event(next));  // the freed nodes come next in memory
    EXPECT_EQ(jumpsInMemory(moved), before);
    copy = moved;
    moved = EventList();
    EXPECT_EQ(ids(moved), std::vector<uint32_t>{});
    expected.push_back(next);
    EXPECT_EQ(ids(copy), expected);
    copy.clear();
    copy.compact();
    copy.push_back(event(5));
    EXPECT_EQ(ids(copy), std::vector<uint32_t>{5});
}

}  // namespace
}  // namespace vl::test
