// A session built from events the host appends: payload byte orders, track
// index checks and the channel mask rebuilt at the end of a track.
#include <gtest/gtest.h>

#include <vector>

#include "interface/export_guard.h"
#include "vlmidiin.h"

namespace {

struct LiveSession {
    ImportSession* handle = vlMidiImportNew(0, 0, 96, 2);
    ~LiveSession() { vlImportClose(&handle); }
    vl::MidiTrack& track(size_t i) { return vl::sessionOf(handle)->tracks().tracks.at(i); }
    const vl::MidiEvent& last(size_t i) { return track(i).events.back(); }
};

std::vector<uint8_t> payloadOf(const vl::MidiEvent& e) {
    const auto* p = e.message.payload.data();
    return std::vector<uint8_t>(p, p + e.message.payload.length());
}

TEST(LiveInput, a_new_session_has_empty_tracks_of_the_given_division) {
    LiveSession s;
    ASSERT_NE(s.handle, nullptr);
    EXPECT_EQ(vlImportError(s.handle), 0);
    auto& session = *vl::sessionOf(s.handle);
    EXPECT_TRUE(session.isLive());
    ASSERT_EQ(session.tracks().size(), 2u);
    EXPECT_EQ(session.tracks().division, 96u);
    EXPECT_EQ(s.track(1).division, 96u);
    EXPECT_TRUE(s.track(0).empty());
}

TEST(LiveInput, appends_refuse_a_track_index_out_of_range) {
    LiveSession s;
    EXPECT_EQ(vlMidiImportAppend(s.handle, 2, 0x403C90u, 0), 0);
    EXPECT_EQ(vlMidiImportAppend(s.handle, -1, 0x403C90u, 0), 0);
    EXPECT_EQ(vlMidiImportTempoSet(s.handle, 2, 500000, 0), 0);
    EXPECT_TRUE(s.track(0).empty());
    EXPECT_TRUE(s.track(1).empty());
}

TEST(LiveInput, a_packed_message_keeps_its_bytes_and_delta) {
    LiveSession s;
    ASSERT_EQ(vlMidiImportAppend(s.handle, 1, 0x00403C91u, 48), 1);
    const vl::MidiEvent& e = s.last(1);
    EXPECT_EQ(e.time, 48u);
    EXPECT_EQ(e.message.status, 0x91);
    EXPECT_EQ(e.message.data1, 0x3C);
    EXPECT_EQ(e.message.data2, 0x40);
    EXPECT_EQ(e.strand, -1);
}

TEST(LiveInput, signature_and_tempo_payloads_take_their_byte_orders) {
    LiveSession s;
    ASSERT_EQ(vlMidiImportTempoSet(s.handle, 0, 500000, 0), 1);
    EXPECT_EQ(s.last(0).message.data1, 0x51);
    EXPECT_EQ(payloadOf(s.last(0)), (std::vector<uint8_t>{0x07, 0xA1, 0x20}));

    ASSERT_EQ(vlMidiImportTimeSet(s.handle, 0, 0x08180403u, 0), 1);  // 3/16, 24 clocks, 8 32nds
    EXPECT_EQ(s.last(0).message.data1, 0x58);
    EXPECT_EQ(payloadOf(s.last(0)), (std::vector<uint8_t>{0x03, 0x04, 0x18, 0x08}));

    ASSERT_EQ(vlMidiImportKeySet(s.handle, 0, 0x01FEu, 0), 1);  // two flats, minor
    EXPECT_EQ(s.last(0).message.data1, 0x59);
    EXPECT_EQ(payloadOf(s.last(0)), (std::vector<uint8_t>{0xFE, 0x01}));
}

TEST(LiveInput, end_of_track_rebuilds_the_channel_mask) {
    LiveSession s;
    vlMidiImportAppend(s.handle, 0, 0x403C90u, 0);  // channel 1 (number 0)
    vlMidiImportAppend(s.handle, 0, 0x402499u, 0);  // channel 10 (number 9)
    EXPECT_EQ(s.track(0).channelMask, 0);            // not yet: no end of track
    vlMidiImportAppend(s.handle, 0, 0x2FFFu, 96);
    EXPECT_EQ(s.track(0).channelMask, 0x0201);
}

TEST(LiveInput, a_reread_of_a_live_session_changes_nothing_not_even_the_listing_cursor) {
    LiveSession s;
    vlMidiImportAppend(s.handle, 0, 0x403C90u, 0);
    ASSERT_TRUE(VlMidiTextLineSetFirst(s.handle));
    ASSERT_TRUE(VlMidiTextLineSetNext(s.handle));  // the track header
    VlMidiReread(s.handle);
    EXPECT_EQ(s.track(0).size(), 1u);
    EXPECT_EQ(VlMidiTextLineType(s.handle), 2);
    ASSERT_TRUE(VlMidiTextLineSetNext(s.handle));
    EXPECT_EQ(VlMidiTextLineType(s.handle), 3);
    EXPECT_FALSE(vl::sessionOf(s.handle)->reread());
}

TEST(LiveInput, an_absurd_track_count_gives_null_instead_of_exhausting_memory) {
    EXPECT_EQ(vlMidiImportNew(0, 0, 96, 0x7FFFFFFF), nullptr);
}

}  // namespace
