// The driver's fixed step order, its captions as the host sees them, the
// analysis-state word and where a cancel stops the transcription.
#include <gtest/gtest.h>

#include "midi/live_input.h"
#include "session/import_session.h"
#include "support/fake_host.h"
#include "support/smf_builder.h"

namespace vl {
namespace {

using test::FakeHost;

class TranscriptionDriver : public ::testing::Test {
protected:
    TranscriptionDriver() : app_(dir_.path() + "/settings.ini") {
        app_.setHostWindow(FakeHost::window(), FakeHost::kMessage);
    }

    std::unique_ptr<ImportSession> liveSession(int tracks) {
        auto s = ImportSession::fromLiveInput(96, tracks, app_);
        for (int t = 0; t < tracks; ++t) appendLiveEvent(s->tracks(), t, MidiEvent(0, 0x2FFFu));
        return s;
    }

    test::TempDir dir_;
    ImportFilterApp app_;
    FakeHost host_;
};

const std::vector<std::string> kCaptionsWithoutStrands = {
    "Eliminating illegal MIDI events...", "Locating bar-lines...",
    "First quantising MIDI events...",    "Assessing MIDI note durations...",
    "Assigning strands...",               "Locating ties across bar lines...",
    "Confirming chord structure...",
};

TEST_F(TranscriptionDriver, runs_the_steps_in_order_with_their_captions) {
    auto s = liveSession(2);
    EXPECT_EQ(s->initialise(), 0);
    EXPECT_EQ(host_.stepCaptions(), kCaptionsWithoutStrands);
}

TEST_F(TranscriptionDriver, reports_each_track_of_a_track_step) {
    auto s = liveSession(3);
    s->initialise();
    const auto details = host_.detailTexts();
    for (const char* text : {"Track 1 of 3", "Track 2 of 3", "Track 3 of 3"})
        EXPECT_NE(std::find(details.begin(), details.end(), text), details.end()) << text;
}

TEST_F(TranscriptionDriver, sets_the_state_bits_of_every_step_but_triplets_without_strands) {
    auto s = liveSession(1);
    ASSERT_EQ(s->analysisState(), 0u);
    EXPECT_EQ(s->initialise(), 0);
    const uint32_t expected = state::DelayRemoved | state::LengthsEqualised | state::MetaMarkers |
                              state::BarGroups | state::Ties | state::FirstQuantised |
                              state::Durations | state::Strands;
    EXPECT_EQ(s->analysisState(), expected);
    EXPECT_EQ(s->analysisState() & state::TripletsAndSwing, 0u);
}

struct CancelCase {
    const char* name;
    const char* cancelFrom;  // the host answers "cancel" from this caption on
    const char* lastCaption; // the last step caption the host saw
    size_t captionsSeen;     // step captions the host saw before the driver stopped
    uint32_t setBits;        // state bits that must be set
    uint32_t clearBits;      // state bits that must still be clear
};

class CancelledTranscription : public TranscriptionDriver,
                               public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelledTranscription, returns_minus_one_at_the_next_cancel_test) {
    const CancelCase& c = GetParam();
    auto s = liveSession(2);
    host_.cancelAtCaption(c.cancelFrom);
    EXPECT_EQ(s->initialise(), -1);
    const auto captions = host_.stepCaptions();
    ASSERT_EQ(captions.size(), c.captionsSeen);
    EXPECT_EQ(captions.back(), c.lastCaption);
    EXPECT_EQ(s->analysisState() & c.setBits, c.setBits);
    EXPECT_EQ(s->analysisState() & c.clearBits, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CancelledTranscription,
    ::testing::Values(
        // Cancelling the very first step does not stop the early steps: the
        // driver first tests for cancel after locating bar lines.
        CancelCase{"eliminating", "Eliminating illegal MIDI events...", "Locating bar-lines...", 2,
                   state::MetaMarkers, state::BarGroups | state::FirstQuantised},
        CancelCase{"bar_lines", "Locating bar-lines...", "Locating bar-lines...", 2, state::MetaMarkers,
                   state::BarGroups | state::FirstQuantised},
        CancelCase{"first_quantising", "First quantising MIDI events...", "First quantising MIDI events...", 3,
                   state::BarGroups | state::FirstQuantised, state::Durations},
        CancelCase{"ties", "Locating ties across bar lines...", "Locating ties across bar lines...", 6,
                   state::Strands | state::Ties, 0}),
    [](const ::testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

TEST_F(TranscriptionDriver, without_a_host_window_nothing_is_sent_and_nothing_cancels) {
    app_.setHostWindow(nullptr, 0);
    host_.cancelAtCaption("Locating bar-lines...");
    auto s = liveSession(1);
    EXPECT_EQ(s->initialise(), 0);
    EXPECT_TRUE(host_.reports().empty());
}

TEST_F(TranscriptionDriver, a_second_run_keeps_the_state_and_skips_delay_removal) {
    auto s = liveSession(1);
    s->initialise();
    const uint32_t first = s->analysisState();
    EXPECT_EQ(s->initialise(), 0);
    EXPECT_EQ(s->analysisState(), first);
}

TEST_F(TranscriptionDriver, a_session_recovers_from_a_cancelled_run) {
    auto s = liveSession(1);
    host_.cancelAtCaption("Locating bar-lines...");
    EXPECT_EQ(s->initialise(), -1);
    host_.stopCancelling();
    EXPECT_EQ(s->initialise(), 0);
}

}  // namespace
}  // namespace vl
