// A session built from events the host appends: payload byte orders, track
// index checks and the channel mask rebuilt at the end of a track.
#include <gtest/gtest.h>

#include "interface/export_guard.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

struct LiveSession {
    ::ImportSession* handle = vlMidiImportNew(0, 0, 96, 2);
    ~LiveSession() { vlImportClose(&handle); }
    MidiTrack& track(size_t i) { return sessionOf(handle)->analysis().tracks().tracks.at(i); }
};

// The payload bytes of the last event of track 0 in hexadecimal.
std::string lastPayload(LiveSession& s) {
    const MidiMessage& m = s.track(0).events.back().message;
    std::string out;
    char byte[4];
    for (int32_t i = 0; i < m.payload.length(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", m.payload.data()[i]);
        out += byte;
    }
    return out;
}

TEST(LiveInput, appends_go_to_the_tracks_in_range_with_their_bytes_and_deltas) {
    LiveSession s;
    ASSERT_NE(s.handle, nullptr);
    EXPECT_TRUE(sessionOf(s.handle)->isLive());
    EXPECT_EQ(sessionOf(s.handle)->analysis().tracks().division, 96u);
    EXPECT_EQ(s.track(1).division, 96u);
    EXPECT_EQ(vlMidiImportAppend(s.handle, 2, 0x403C90u, 0), 0);
    EXPECT_EQ(vlMidiImportAppend(s.handle, -1, 0x403C90u, 0), 0);
    EXPECT_EQ(vlMidiImportTempoSet(s.handle, 2, 500000, 0), 0);
    ASSERT_EQ(vlMidiImportAppend(s.handle, 1, 0x00403C91u, 48), 1);
    EXPECT_EQ(trackText(s.track(0), true), "");
    EXPECT_EQ(trackText(s.track(1), true), "48 on 1 60");
    EXPECT_EQ(s.track(1).events.back().message.data2, 0x40);
}

TEST(LiveInput, signature_and_tempo_payloads_take_their_byte_orders) {
    LiveSession s;
    ASSERT_EQ(vlMidiImportTempoSet(s.handle, 0, 500000, 0), 1);
    EXPECT_EQ(lastPayload(s), "07a120");
    ASSERT_EQ(vlMidiImportTimeSet(s.handle, 0, 0x08180403u, 0), 1);  // 3/16, 24 clocks, 8 32nds
    EXPECT_EQ(lastPayload(s), "03041808");
    ASSERT_EQ(vlMidiImportKeySet(s.handle, 0, 0x01FEu, 0), 1);  // two flats, minor
    EXPECT_EQ(lastPayload(s), "fe01");
    EXPECT_EQ(trackText(s.track(0)), "0 st ff 51, 0 TS 3 4, 0 KS 254 1");
}

TEST(LiveInput, end_of_track_rebuilds_the_channel_mask) {
    LiveSession s;
    vlMidiImportAppend(s.handle, 0, 0x403C90u, 0);  // channel number 0
    vlMidiImportAppend(s.handle, 0, 0x402499u, 0);  // channel number 9
    EXPECT_EQ(s.track(0).channelMask, 0);
    vlMidiImportAppend(s.handle, 0, 0x2FFFu, 96);
    EXPECT_EQ(s.track(0).channelMask, 0x0201);
}

TEST(LiveInput, a_reread_of_a_live_session_changes_nothing_not_even_the_listing_cursor) {
    LiveSession s;
    vlMidiImportAppend(s.handle, 0, 0x403C90u, 0);
    ASSERT_TRUE(VlMidiTextLineSetFirst(s.handle) && VlMidiTextLineSetNext(s.handle));
    VlMidiReread(s.handle);
    EXPECT_EQ(s.track(0).size(), 1u);
    EXPECT_EQ(VlMidiTextLineType(s.handle), 2);  // still on the track header
    ASSERT_TRUE(VlMidiTextLineSetNext(s.handle));
    EXPECT_EQ(VlMidiTextLineType(s.handle), 3);
    EXPECT_FALSE(sessionOf(s.handle)->reread());
}

TEST(LiveInput, an_absurd_track_count_gives_null_instead_of_exhausting_memory) {
    EXPECT_EQ(vlMidiImportNew(0, 0, 96, 0x7FFFFFFF), nullptr);
}

}  // namespace
}  // namespace vl::test
