// The driver's fixed step order, its captions as the host sees them, the
// analysis-state word, where a cancel stops the transcription, and the first
// track's signatures copied into the others once and taken out again.
#include <gtest/gtest.h>

#include <algorithm>

#include "markers/marker_events.h"
#include "midi/live_input.h"
#include "session/import_session.h"
#include "support/fake_host.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

class TranscriptionDriver : public ::testing::Test {
protected:
    TranscriptionDriver() { app_.setHostWindow(FakeHost::window(), FakeHost::kMessage); }

    std::unique_ptr<ImportSession> liveSession(int tracks) {
        auto s = ImportSession::fromLiveInput(96, tracks, app_);
        for (int t = 0; t < tracks; ++t) appendLiveEvent(s->tracks(), t, MidiEvent(0, 0x2FFFu));
        return s;
    }

    TempDir dir_;
    ImportFilterApp app_{dir_.path() + "/settings.ini"};
    FakeHost host_;
};

const std::vector<std::string> kCaptions = {
    "Eliminating illegal MIDI events...", "Locating bar-lines...",
    "First quantising MIDI events...",    "Assessing MIDI note durations...",
    "Assigning strands...",               "Locating ties across bar lines...",
    "Confirming chord structure...",
};

TEST_F(TranscriptionDriver, runs_the_steps_in_order_and_sets_every_bit_but_triplets) {
    auto s = liveSession(3);
    EXPECT_EQ(s->initialise(), 0);
    EXPECT_EQ(host_.stepCaptions(), kCaptions);
    const auto details = host_.detailTexts();
    for (const char* text : {"Track 1 of 3", "Track 2 of 3", "Track 3 of 3"})
        EXPECT_NE(std::find(details.begin(), details.end(), text), details.end()) << text;
    const uint32_t all = state::DelayRemoved | state::LengthsEqualised | state::MetaMarkers |
                         state::BarGroups | state::Ties | state::FirstQuantised |
                         state::Durations | state::Strands;
    EXPECT_EQ(s->analysisState(), all);
    EXPECT_EQ(s->initialise(), 0);  // a second run keeps the state
    EXPECT_EQ(s->analysisState(), all);
}

TEST_F(TranscriptionDriver, a_cancel_stops_at_the_next_cancel_test_and_a_new_run_recovers) {
    struct Case {
        size_t cancelFrom;    // index of the caption the host starts cancelling at
        size_t captionsSeen;  // the driver first tests for cancel after the bar lines
        uint32_t set, clear;  // state bits set and still clear
    } cases[] = {
        {0, 2, state::MetaMarkers, state::BarGroups | state::FirstQuantised},
        {1, 2, state::MetaMarkers, state::BarGroups | state::FirstQuantised},
        {2, 3, state::BarGroups | state::FirstQuantised, state::Durations},
        {5, 6, state::Strands | state::Ties, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kCaptions[c.cancelFrom]);
        auto s = liveSession(2);
        host_.clearReports();
        host_.cancelAtCaption(kCaptions[c.cancelFrom]);
        EXPECT_EQ(s->initialise(), -1);
        EXPECT_EQ(host_.stepCaptions(),
                  std::vector<std::string>(kCaptions.begin(), kCaptions.begin() + c.captionsSeen));
        EXPECT_EQ(s->analysisState() & c.set, c.set);
        EXPECT_EQ(s->analysisState() & c.clear, 0u);
        host_.stopCancelling();
        EXPECT_EQ(s->initialise(), 0);
    }
}

TEST_F(TranscriptionDriver, without_a_host_window_nothing_is_sent_and_nothing_cancels) {
    app_.setHostWindow(nullptr, 0);
    host_.cancelAtCaption("Locating bar-lines...");
    EXPECT_EQ(liveSession(1)->initialise(), 0);
    EXPECT_TRUE(host_.reports().empty());
}

size_t metaMarkersIn(const MidiTrack& track) {
    return static_cast<size_t>(std::count_if(track.events.begin(), track.events.end(),
                                             [](const MidiEvent& e) { return isMetaMarker(e); }));
}

TEST(SessionMarkers, initialise_copies_the_signatures_once_and_removal_restores_the_tracks) {
    const TempFile file = writeTempFile(
        SmfBuilder().format(1).division(96).track().timeSignature(0, 3, 2).keySignature(0, -2)
            .endTrack(96 * 6).track().programChange(0, 2, 5).noteOn(0, 2, 60, 90)
            .noteOff(96, 2, 60).endTrack(96 * 5).bytes());
    ImportFilterApp app(file.directory() + "/settings.ini");
    auto session = ImportSession::fromFile(file.path(), app);
    const TrackSet& tracks = session->tracks();
    const size_t eventsAsRead = tracks.eventCount();
    ASSERT_EQ(metaMarkersIn(tracks.tracks[1]), 0u);
    session->initialise();
    session->initialise();  // a second run adds no second copy
    EXPECT_EQ(metaMarkersIn(tracks.tracks[0]), 0u);
    EXPECT_EQ(metaMarkersIn(tracks.tracks[1]), 2u);
    EXPECT_NE(session->analysisState() & state::MetaMarkers, 0u);
    EXPECT_EQ(tracks.tracks[1].channelMask, 1u << 2);
    session->removeFiducialEvents();
    EXPECT_EQ(tracks.eventCount(), eventsAsRead);
    EXPECT_EQ(session->analysisState() & state::AnyFiducials, 0u);
}

}  // namespace
}  // namespace vl::test
