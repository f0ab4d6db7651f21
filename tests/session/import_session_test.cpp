// Session-level effects of the marker steps on a real two-track file.
#include <gtest/gtest.h>

#include "markers/marker_events.h"
#include "session/import_session.h"
#include "support/smf_builder.h"

namespace vl {
namespace {

using test::SmfBuilder;

size_t metaMarkersIn(const MidiTrack& track) {
    size_t n = 0;
    for (const MidiEvent& e : track.events) n += isMetaMarker(e) ? 1 : 0;
    return n;
}

class SessionMarkers : public ::testing::Test {
protected:
    SessionMarkers()
        : file_(test::writeTempFile(SmfBuilder()
                                        .format(1)
                                        .division(96)
                                        .track()
                                        .timeSignature(0, 3, 2)
                                        .keySignature(0, -2)
                                        .endTrack(96 * 6)
                                        .track()
                                        .programChange(0, 2, 5)
                                        .noteOn(0, 2, 60, 90)
                                        .noteOff(96, 2, 60)
                                        .endTrack(96 * 5)
                                        .bytes())),
          app_(file_.directory() + "/settings.ini"),
          session_(ImportSession::fromFile(file_.path(), app_)) {}

    test::TempFile file_;
    ImportFilterApp app_;
    std::unique_ptr<ImportSession> session_;
};

TEST_F(SessionMarkers, initialise_copies_the_first_tracks_signatures_into_the_others) {
    ASSERT_EQ(session_->error(), 0u);
    ASSERT_EQ(metaMarkersIn(session_->tracks().tracks[1]), 0u);
    session_->initialise();
    EXPECT_EQ(metaMarkersIn(session_->tracks().tracks[0]), 0u);
    EXPECT_EQ(metaMarkersIn(session_->tracks().tracks[1]), 2u);
    EXPECT_NE(session_->analysisState() & state::MetaMarkers, 0u);
    EXPECT_EQ(session_->tracks().tracks[1].channelMask, 1u << 2);
}

TEST_F(SessionMarkers, removing_the_fiducial_events_restores_the_tracks_as_read) {
    const size_t eventsAsRead = session_->tracks().eventCount();
    session_->initialise();
    ASSERT_GT(session_->tracks().eventCount(), eventsAsRead);
    session_->removeFiducialEvents();
    EXPECT_EQ(session_->tracks().eventCount(), eventsAsRead);
    EXPECT_EQ(session_->analysisState() & state::AnyFiducials, 0u);
}

TEST_F(SessionMarkers, a_second_initialise_adds_no_second_copy) {
    session_->initialise();
    session_->initialise();
    EXPECT_EQ(metaMarkersIn(session_->tracks().tracks[1]), 2u);
}

}  // namespace
}  // namespace vl
