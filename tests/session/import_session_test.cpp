// Session-level effects of the marker steps on a real two-track file: the
// first track's signatures copied into the others once, and taken out again.
#include <gtest/gtest.h>

#include "markers/marker_events.h"
#include "session/import_session.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

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
