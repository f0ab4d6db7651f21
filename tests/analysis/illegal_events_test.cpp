// Illegal-event elimination: which note-ons and note-offs go, in real and
// proprietary form, per channel and key; survivors keep their absolute times;
// progress covers every event and a cancel stops the walk.

#include "analysis/illegal_events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/host_messages.h"
#include "session/progress_reporter.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::propOff;
using test::propOn;
using test::Timed;
using test::TrackBuilder;

struct EliminationCase {
    const char* name;
    MidiTrack track;
    int32_t deleted;
    std::vector<Timed> expected;
};

TEST(IllegalEvents, WhichEventsGo) {
    std::vector<EliminationCase> cases;
    cases.push_back({"a second note-on while sounding goes, however much later",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(5000, noteOn(0, 60))
                         .at(6000, noteOff(0, 60))
                         .at(7000, noteOff(0, 60))
                         .take(),
                     2,
                     {{0, "on 0 60"}, {6000, "off 0 60"}}});
    cases.push_back({"a note-off in between makes the second note legal",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(10, noteOff(0, 60))
                         .at(10, noteOn(0, 60))
                         .at(30, noteOff(0, 60))
                         .take(),
                     0,
                     {{0, "on 0 60"}, {10, "off 0 60"}, {10, "on 0 60"}, {30, "off 0 60"}}});
    cases.push_back({"a stray note-off goes, the events around it keep their times",
                     TrackBuilder().at(3, cc(1)).at(5, noteOff(0, 60)).at(9, cc(2)).take(),
                     1,
                     {{3, "st b0 01"}, {9, "st b0 02"}}});
    cases.push_back({"a note-on with velocity 0 is a note-off",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(10, noteOn(0, 60, 0))
                         .at(20, noteOn(0, 60, 0))
                         .take(),
                     1,
                     {{0, "on 0 60"}, {10, "off 0 60"}}});
    cases.push_back({"channels are separate",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(0, noteOn(1, 60))
                         .at(10, noteOff(1, 60))
                         .at(12, noteOff(2, 60))
                         .at(20, noteOff(0, 60))
                         .take(),
                     1,
                     {{0, "on 0 60"}, {0, "on 1 60"}, {10, "off 1 60"}, {20, "off 0 60"}}});
    cases.push_back({"keys are separate",
                     TrackBuilder()
                         .at(0, noteOn(0, 60))
                         .at(0, noteOn(0, 61))
                         .at(4, noteOff(0, 62))
                         .at(8, noteOff(0, 61))
                         .at(9, noteOff(0, 60))
                         .take(),
                     1,
                     {{0, "on 0 60"}, {0, "on 0 61"}, {8, "off 0 61"}, {9, "off 0 60"}}});
    cases.push_back({"proprietary and real forms are one note",
                     TrackBuilder()
                         .at(0, propOn(3, 60))
                         .at(10, noteOn(3, 60))
                         .at(20, noteOff(3, 60))
                         .at(30, propOff(3, 60))
                         .at(40, noteOn(3, 62))
                         .at(50, propOff(3, 62))
                         .at(60, propOn(3, 62))
                         .at(60, propOn(3, 62))
                         .take(),
                     3,
                     {{0, "KQVLEVT 93 3c"},
                      {20, "off 3 60"},
                      {40, "on 3 62"},
                      {50, "KQVLEVT 83 3e"},
                      {60, "KQVLEVT 93 3e"}}});
    cases.push_back({"other events and markers are left alone",
                     TrackBuilder()
                         .at(0, test::timeSig(4, 2))
                         .marker(0, "KQVLBAR")
                         .at(5, MidiMessage::channel(kind::KeyPressure, 0, 60, 10))
                         .at(6, noteOn(0, 60))
                         .take(),
                     0,
                     {{0, "TS 4 2"}, {0, "KQVLBAR"}, {5, "st a0 3c"}, {6, "on 0 60"}}});
    // Keys above 127 are placeholders, not sounding keys: both halves stay,
    // even a repeated note-on.
    cases.push_back({"placeholder keys above 127 are left alone",
                     TrackBuilder()
                         .at(0, propOn(0, 0xFE))
                         .at(5, propOn(0, 0xFE))
                         .at(10, propOff(0, 0xFE))
                         .take(),
                     0,
                     {{0, "KQVLEVT 90 fe"}, {5, "KQVLEVT 90 fe"}, {10, "KQVLEVT 80 fe"}}});
    cases.push_back({"an empty track", MidiTrack(96), 0, {}});
    ProgressReporter progress;  // no host window: nothing is sent, nothing cancels
    for (EliminationCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(eliminateIllegalEvents(c.track, progress), c.deleted);
        EXPECT_EQ(listTrack(c.track), c.expected);
    }
}

TEST(IllegalEvents, DeletedEventsArePurgedEvenAtTheEnd) {
    MidiTrack t = TrackBuilder()
                      .at(0, noteOn(0, 60))
                      .at(96, noteOff(0, 60))
                      .at(100, noteOff(0, 60))
                      .at(200, noteOff(0, 60))
                      .take();
    ProgressReporter progress;
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 2);
    ASSERT_EQ(t.size(), 2u);
    for (const MidiEvent& e : t.events) EXPECT_FALSE(e.message.isDeletedMarker());
}

// A host that records the percentages of the detail line and asks to stop
// once they reach a threshold.
struct StoppingHost {
    static inline int32_t stopFromPercent = 101;
    static inline std::vector<int32_t> detailPercents;
    static intptr_t handle(void*, uint32_t, uintptr_t, intptr_t lparam) {
        const auto* r = reinterpret_cast<const VlProgressReport*>(lparam);
        if (r->line != 2 || r->text != nullptr) return 0;
        detailPercents.push_back(r->percent);
        return r->percent >= stopFromPercent ? 1 : 0;
    }
};

class IllegalEventsProgress : public ::testing::Test {
protected:
    void SetUp() override {
        StoppingHost::detailPercents.clear();
        setHostMessageHandler(&StoppingHost::handle);
        progress.setTarget(reinterpret_cast<void*>(0x77), 0x8001);
    }
    void TearDown() override {
        setHostMessageHandler(nullptr);
        StoppingHost::stopFromPercent = 101;
    }

    // Ten events; the note-ons at indices 2 and 7 are illegal.
    static MidiTrack tenEvents() {
        return TrackBuilder()
            .at(0, noteOn(0, 60))
            .at(1, cc(1))
            .at(2, noteOn(0, 60))
            .at(3, cc(2))
            .at(4, cc(3))
            .at(5, cc(4))
            .at(6, cc(5))
            .at(7, noteOn(0, 60))
            .at(8, cc(6))
            .at(9, noteOff(0, 60))
            .take();
    }

    ProgressReporter progress;
};

TEST_F(IllegalEventsProgress, EveryEventIsReported) {
    MidiTrack t = tenEvents();
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 2);
    // Ten events: index i reports (i + 1) x 10 percent; the purge reports
    // again, and the detail count is reset to 0 at the end.
    const std::vector<int32_t>& seen = StoppingHost::detailPercents;
    ASSERT_GE(seen.size(), 11u);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(seen[static_cast<size_t>(i) + 1], (i + 1) * 10);
    EXPECT_EQ(t.size(), 8u);
}

TEST_F(IllegalEventsProgress, CancelStopsTheWalkAndKeepsWhatWasDone) {
    // Index 4 is the first to report 50 percent: the illegal note-on at index
    // 2 has gone by then, the one at index 7 has not been reached.
    StoppingHost::stopFromPercent = 50;
    MidiTrack t = tenEvents();
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 1);
    const std::vector<Timed> expected = {
        {0, "on 0 60"},  {1, "st b0 01"}, {3, "st b0 02"}, {4, "st b0 03"}, {5, "st b0 04"},
        {6, "st b0 05"}, {7, "on 0 60"},  {8, "st b0 06"}, {9, "off 0 60"}};
    EXPECT_EQ(listTrack(t), expected);
}

TEST_F(IllegalEventsProgress, CancelAtTheFirstEventChangesNothing) {
    StoppingHost::stopFromPercent = 0;
    MidiTrack t = tenEvents();
    const std::vector<Timed> before = listTrack(t);
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 0);
    EXPECT_EQ(listTrack(t), before);
}

}  // namespace
}  // namespace vl
