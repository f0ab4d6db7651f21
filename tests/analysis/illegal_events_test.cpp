// Illegal-event elimination: which note-ons and note-offs go, in real and
// proprietary form, per channel and key; survivors keep their absolute times;
// progress covers every event and a cancel stops the walk. Cases are in
// data/cases/illegal_events.txt.

#include "analysis/illegal_events.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(IllegalEvents, the_events_of_each_case_go_and_the_rest_keep_their_times) {
    for (const Case& c : readCases("illegal_events")) {
        SCOPED_TRACE(where("illegal_events", c));
        FakeHost host;
        host.cancelFromPercent(static_cast<int32_t>(c.number("cancel-from", 1000)));
        MidiTrack t = trackFromText(c["in"]);
        EXPECT_EQ(std::to_string(eliminateIllegalEvents(t, host.progress).count), c["result"]);
        EXPECT_EQ(trackText(t, true), c.oneLine(c.has("out") ? "out" : "in"));
    }
}

class IllegalEventsProgress : public HostTest {};

TEST_F(IllegalEventsProgress, every_event_is_reported) {
    MidiTrack t = trackFromText("0 on 0 60, 1 st b0 01, 2 on 0 60, 3 st b0 02, 4 st b0 03, "
                                "5 st b0 04, 6 st b0 05, 7 on 0 60, 8 st b0 06, 9 off 0 60");
    EXPECT_EQ(eliminateIllegalEvents(t, reporter).count, 2);
    // Index i reports (i + 1) x 10 percent; the purge reports again after.
    const std::vector<int32_t>& seen = host.detailPercents();
    ASSERT_GE(seen.size(), 11u);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(seen[static_cast<size_t>(i) + 1], (i + 1) * 10);
}

}  // namespace
}  // namespace vl::test
