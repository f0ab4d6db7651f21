// Illegal-event elimination: which note-ons and note-offs go, in real and
// proprietary form, per channel and key; survivors keep their absolute times;
// progress covers every event and a cancel stops the walk.

#include "analysis/illegal_events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/track_text.h"
#include "support/fake_host.h"
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
using test::trackFromText;
using test::trackText;

TEST(IllegalEvents, WhichEventsGo) {
    const struct {
        const char* name;
        const char* track;
        int32_t deleted;
        const char* expected;
    } cases[] = {
        {"a second note-on while sounding goes, however much later",
         "0 on 0 60, 5000 on 0 60, 6000 off 0 60, 7000 off 0 60", 2, "0 on 0 60, 6000 off 0 60"},
        {"a note-off in between makes the second note legal",
         "0 on 0 60, 10 off 0 60, 10 on 0 60, 30 off 0 60", 0,
         "0 on 0 60, 10 off 0 60, 10 on 0 60, 30 off 0 60"},
        {"a stray note-off goes, the events around it keep their times",
         "3 st b0 01, 5 off 0 60, 9 st b0 02", 1, "3 st b0 01, 9 st b0 02"},
        {"a note-on with velocity 0 is a note-off", "0 on 0 60, 10 on0 0 60, 20 on0 0 60", 1,
         "0 on 0 60, 10 off 0 60"},
        {"channels are separate", "0 on 0 60, 0 on 1 60, 10 off 1 60, 12 off 2 60, 20 off 0 60", 1,
         "0 on 0 60, 0 on 1 60, 10 off 1 60, 20 off 0 60"},
        {"proprietary and real forms are one note",
         "0 KQVLEVT 93 3c, 10 on 3 60, 20 off 3 60, 30 KQVLEVT 83 3c, 40 on 3 62, "
         "50 KQVLEVT 83 3e, 60 KQVLEVT 93 3e, 60 KQVLEVT 93 3e",
         3, "0 KQVLEVT 93 3c, 20 off 3 60, 40 on 3 62, 50 KQVLEVT 83 3e, 60 KQVLEVT 93 3e"},
        {"other events and markers are left alone", "0 TS 4 2, 0 KQVLBAR, 5 st a0 3c, 6 on 0 60", 0,
         "0 TS 4 2, 0 KQVLBAR, 5 st a0 3c, 6 on 0 60"},
        {"a real key above 127 never sounds: its note-ons stay, its note-offs go",
         "0 on 0 200, 5 on 0 200, 10 off 0 200, 20 on0 0 128", 2, "0 on 0 200, 5 on 0 200"},
        {"placeholder rests (proprietary, key above 127) are left alone",
         "0 KQVLEVT 90 fe, 5 KQVLEVT 90 fe, 10 KQVLEVT 80 fe", 0,
         "0 KQVLEVT 90 fe, 5 KQVLEVT 90 fe, 10 KQVLEVT 80 fe"},
        {"an empty track", "", 0, ""},
    };
    ProgressReporter progress;  // no host window: nothing is sent, nothing cancels
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrack track = trackFromText(c.track);
        EXPECT_EQ(eliminateIllegalEvents(track, progress), c.deleted);
        EXPECT_EQ(trackText(track), c.expected);
    }
}

TEST(IllegalEvents, DeletedEventsArePurgedEvenAtTheEnd) {
    MidiTrack t = trackFromText("0 on 0 60, 96 off 0 60, 100 off 0 60, 200 off 0 60");
    ProgressReporter progress;
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 2);
    ASSERT_EQ(t.size(), 2u);
    for (const MidiEvent& e : t.events) EXPECT_FALSE(e.message.isDeletedMarker());
}

class IllegalEventsProgress : public test::HostTest {
protected:
    // Ten events; the note-ons at indices 2 and 7 are illegal.
    static MidiTrack tenEvents() {
        return trackFromText("0 on 0 60, 1 st b0 01, 2 on 0 60, 3 st b0 02, 4 st b0 03, "
                             "5 st b0 04, 6 st b0 05, 7 on 0 60, 8 st b0 06, 9 off 0 60");
    }

    ProgressReporter& progress = host.progress;
};

TEST_F(IllegalEventsProgress, EveryEventIsReported) {
    MidiTrack t = tenEvents();
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 2);
    // Ten events: index i reports (i + 1) x 10 percent; the purge reports
    // again, and the detail count is reset to 0 at the end.
    const std::vector<int32_t>& seen = host.detailPercents();
    ASSERT_GE(seen.size(), 11u);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(seen[static_cast<size_t>(i) + 1], (i + 1) * 10);
    EXPECT_EQ(t.size(), 8u);
}

TEST_F(IllegalEventsProgress, CancelStopsTheWalkAndThePurgeWhichTheNextPurgeFinishes) {
    // Index 4 is the first to report 50 percent: the illegal note-on at index
    // 2 is deleted by then, the one at index 7 has not been reached. The purge
    // is stopped at once, so the deleted-event marker stays until the next run.
    host.cancelFromPercent(50);
    MidiTrack t = tenEvents();
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 1);
    EXPECT_EQ(trackText(t),
              "0 on 0 60, 1 st b0 01, 2 KQVLZZZ, 3 st b0 02, 4 st b0 03, 5 st b0 04, "
              "6 st b0 05, 7 on 0 60, 8 st b0 06, 9 off 0 60");
    host.stopCancelling();
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 1);
    EXPECT_EQ(trackText(t),
              "0 on 0 60, 1 st b0 01, 3 st b0 02, 4 st b0 03, 5 st b0 04, 6 st b0 05, "
              "8 st b0 06, 9 off 0 60");
}

TEST_F(IllegalEventsProgress, CancelAtTheFirstEventChangesNothing) {
    host.cancelFromPercent(0);
    MidiTrack t = tenEvents();
    const std::vector<Timed> before = listTrack(t);
    EXPECT_EQ(eliminateIllegalEvents(t, progress), 0);
    EXPECT_EQ(listTrack(t), before);
}

}  // namespace
}  // namespace vl
