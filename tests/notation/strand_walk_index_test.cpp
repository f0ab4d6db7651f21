// The per-track index the item walk builds once for all strands of a track
// (what it lists is pinned through the strand item tables): that it notices a
// changed track, that the session's walk with one index per track gives what
// fresh builds give and rebuilds the index when the track changed under it,
// and the progress over events (one report per event to a listening host, a
// cancel only at a reported event).

#include "notation/strand_walk_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/track_operations.h"
#include "analysis/track_set_operations.h"
#include "analysis/track_step_driver.h"
#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "notation/item_builder.h"
#include "notation/item_text.h"
#include "platform/host_messages.h"
#include "session/import_session.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

TEST(StrandWalkIndex, notices_a_track_that_grew_shrank_or_is_another_one) {
    MidiTrack track = trackFromText("0 on 0 60 [s0 d96/96], 96 off 0 60");
    MidiTrack other = track;
    MidiTrack empty(96);
    const StrandWalkIndex index(track, 0);
    EXPECT_TRUE(index.stillDescribes(track) && !index.stillDescribes(other));
    EXPECT_TRUE(StrandWalkIndex(empty, 1).stillDescribes(empty));
    EXPECT_FALSE(StrandWalkIndex(empty, 1).stillDescribes(track));
    track.append(MidiEvent(0, barMarkerMessage()));
    EXPECT_FALSE(index.stillDescribes(track));
    track.events.pop_back();
    EXPECT_TRUE(index.stillDescribes(track));
    track.events.pop_front();
    EXPECT_FALSE(index.stillDescribes(track));
}

// A live session of two tracks: chords on channel 1 over a bass on channel 2
// in the first track, a line in the second; several strands per track.
std::unique_ptr<ImportSession> transcribedLiveSession() {
    std::unique_ptr<ImportSession> session = ImportSession::fromLiveInput(96, 2);
    std::string first, second;
    char buf[200];
    for (int t = 0; t < 32 * 96; t += 96) {
        const int top = 67 + t / 96 % 5, bass = 40 + t / 96 % 3, line = 55 + t / 96 % 7;
        std::snprintf(buf, sizeof buf,
                      "%d on 0 %d, %d on 0 %d, %d on 1 %d, %d off 0 %d, %d off 0 %d, %d off 1 %d, ",
                      t, top, t, top - 4, t, bass, t + 48, top, t + 48, top - 4, t + 48, bass);
        first += buf;
        std::snprintf(buf, sizeof buf, "%d on 2 %d, %d off 2 %d, ", t, line, t + 48, line);
        second += buf;
    }
    session->analysis().tracks().tracks[0].events = trackFromText(first).events;
    session->analysis().tracks().tracks[1].events = trackFromText(second).events;
    EXPECT_GT(session->transcribe(), 2);
    return session;
}

std::string walkedItems(ItemWalk& walk) {
    std::string out;
    ImportItem item{};
    for (bool more = walk.firstItem(&item); more; more = walk.nextItem(&item))
        out += (out.empty() ? "" : ", ") + itemText(item, walk.itemText(item));
    return out;
}

std::string freshItems(TrackSet tracks, const Strand& strand, bool clear = true) {
    if (clear) clearOutputMarks(tracks);
    return itemsText(buildStrandItems(tracks, strand));
}

TEST(StrandWalkIndex, the_sessions_walk_matches_a_fresh_build_of_every_strand_in_turn) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    const std::vector<Strand> strands = session->analysis().strands();
    TrackSet copy = session->analysis().tracks();
    clearOutputMarks(copy);
    size_t walked = 0;
    ItemWalk& walk = session->walk();
    for (bool more = walk.openFirstStrand(); more; more = walk.openNextStrand(), ++walked) {
        ASSERT_LT(walked, strands.size());
        EXPECT_EQ(walkedItems(session->walk()), itemsText(buildStrandItems(copy, strands[walked])));
    }
    EXPECT_EQ(walked, strands.size());
    // A second walk starts from unmarked notes again.
    ASSERT_TRUE(session->walk().openFirstStrand());
    EXPECT_EQ(walkedItems(session->walk()), freshItems(session->analysis().tracks(), strands[0]));
}

TEST(StrandWalkIndex, events_appended_during_the_walk_are_seen_by_the_next_strand) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    const std::vector<Strand> strands = session->analysis().strands();
    ASSERT_EQ(strands[1].trackIndex, strands[0].trackIndex);
    ASSERT_TRUE(session->walk().openFirstStrand());
    // The kept index no longer describes the track: the next list is built anew.
    MidiTrack& edited = session->analysis().tracks().tracks[strands[0].trackIndex];
    edited.append(MidiEvent(960, barMarkerMessage()));
    const std::string expected = freshItems(session->analysis().tracks(), strands[1], false);
    ASSERT_TRUE(session->walk().openNextStrand());
    EXPECT_EQ(walkedItems(session->walk()), expected);
    EXPECT_EQ(expected.substr(expected.size() - 10), "4 00 00 00");
}

TEST(StrandWalkIndex, an_edit_during_the_walk_ends_it) {
    std::unique_ptr<ImportSession> session = transcribedLiveSession();
    ASSERT_TRUE(session->walk().openFirstStrand());
    session->editing().rerunFirstQuantising();
    ImportItem item{};
    EXPECT_FALSE(session->walk().firstItem(&item));
    EXPECT_FALSE(session->walk().openNextStrand());
    ASSERT_TRUE(session->walk().openFirstStrand());  // a new walk works on the edited tracks
    EXPECT_FALSE(walkedItems(session->walk()).empty());
}

using EventProgressTest = HostTest;

// The indices of a walk over `count` events reported through reporter (the
// host answers "cancel" to any report meanwhile).
std::vector<size_t> reportedIndices(FakeHost& host, ProgressReporter& reporter, size_t count,
                                    const std::vector<size_t>& indices) {
    std::vector<size_t> reported;
    host.cancelFromPercent(0);
    EventProgress events(reporter, count);
    for (const size_t i : indices)
        if (events.cancelledAt(i)) reported.push_back(i);
    host.stopCancelling();
    return reported;
}

TEST_F(EventProgressTest, reports_every_event_to_a_listening_host_and_nothing_otherwise) {
    const std::vector<size_t> jumps = {0, 5, 9, 10, 250, 251, 999, 100};
    EXPECT_EQ(reportedIndices(host, reporter, 1000, jumps), jumps);
    EXPECT_EQ(reportedIndices(host, reporter, 1, {0}), std::vector<size_t>{0});
    ProgressReporter noWindow;
    noWindow.setTarget(nullptr, FakeHost::kMessage);
    EXPECT_TRUE(reportedIndices(host, noWindow, 1000, jumps).empty());
    setHostMessageHandler(nullptr);
    EXPECT_TRUE(reportedIndices(host, reporter, 1000, jumps).empty());
}

TEST_F(EventProgressTest, a_cancel_stops_the_walk_at_the_event_whose_percentage_asked_it) {
    host.cancelFromPercent(37);
    WalkProgress walk(reporter, 1000);
    size_t i = 0;
    while (i < 1000 && !walk.cancelledAtNext()) ++i;
    EXPECT_EQ(i, 369u);  // (i + 1) x 100 / 1000 first reaches 37 at i = 369
}

}  // namespace
}  // namespace vl::test
