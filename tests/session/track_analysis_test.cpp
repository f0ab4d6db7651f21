// The transcription's fixed step order, its captions as the host sees them, the
// analysis-state word, and where a cancel stops the transcription.
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
        for (int t = 0; t < tracks; ++t)
            appendLiveEvent(s->analysis().tracks(), t, MidiEvent(0, 0x2FFFu));
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
    EXPECT_EQ(s->transcribe(), 0);
    EXPECT_EQ(host_.stepCaptions(), kCaptions);
    const auto details = host_.detailTexts();
    for (const char* text : {"Track 1 of 3", "Track 2 of 3", "Track 3 of 3"})
        EXPECT_NE(std::find(details.begin(), details.end(), text), details.end()) << text;
    const uint32_t all = state::DelayRemoved | state::LengthsEqualised | state::MetaMarkers |
                         state::BarGroups | state::Ties | state::FirstQuantised |
                         state::Durations | state::Strands;
    EXPECT_EQ(s->analysis().state(), all);
    EXPECT_EQ(s->transcribe(), 0);  // a second run keeps the state
    EXPECT_EQ(s->analysis().state(), all);
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
        EXPECT_EQ(s->transcribe(), -1);
        EXPECT_EQ(host_.stepCaptions(),
                  std::vector<std::string>(kCaptions.begin(), kCaptions.begin() + c.captionsSeen));
        EXPECT_EQ(s->analysis().state() & c.set, c.set);
        EXPECT_EQ(s->analysis().state() & c.clear, 0u);
        host_.stopCancelling();
        EXPECT_EQ(s->transcribe(), 0);
    }
}

}  // namespace
}  // namespace vl::test
