// The well-formedness check run between the steps of debug builds.
#include "analysis/track_invariants.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(TrackInvariants, a_breach_names_the_first_event_that_shows_it) {
    const std::pair<const char*, const char*> cases[] = {
        {"0 on 0 60, 96 on0 0 60, 96 on 0 60", ""},  // velocity 0 ends it; the last may sound on
        {"0 on 0 60, 0 on 1 60, 48 off 1 60, 96 off 0 60", ""},
        {"0 on 0 60, 48 on 0 60, 96 off 0 60", "note-on of a sounding channel 0 key 60 at event 1"},
        {"0 st b0 07, 96 off 9 61", "note-off of a silent channel 9 key 61 at event 1"},
        {"0 KQVLEVT 90 fe, 96 KQVLEVT 80 fe", ""},
        {"0 KQVLEVT 9f fe, 0 on 15 254", "note-on of a sounding channel 15 key 254 at event 1"},
    };
    for (const auto& [track, breach] : cases)
        EXPECT_EQ(trackInvariantBreach(trackFromText(track)), breach) << track;
}

#ifndef NDEBUG
TEST(TrackInvariantsDeathTest, a_breach_stops_a_debug_build_naming_the_step_and_the_track) {
    TrackSet set;
    set.appendTrack(trackFromText("0 on 0 60, 96 off 0 60"));
    set.appendTrack(trackFromText("0 off 0 60"));
    EXPECT_DEATH(checkTrackInvariants(set, "ties"), "after ties track 1: note-off of a silent");
}
#endif

}  // namespace
}  // namespace vl::test
