// Malformed files, one named case each: every one must give the exact outcome
// the reader's rules call for, without a crash, a hang or a huge allocation.

#include <gtest/gtest.h>

#include <string>

#include "midi/midi_file_reader.h"
#include "midi/read_bytes.h"
#include "midi/riff_reader.h"
#include "support/smf_builder.h"

namespace vl {
namespace {

using test::Bytes;
using test::eventsOf;
using test::readBytes;
using test::SmfBuilder;

void expectUntouchedHeader(const MidiFileHeader& h) {
    EXPECT_EQ(std::string(h.chunkType.data(), 4), "MThd");
    EXPECT_EQ(h.chunkLength, 6u);
    EXPECT_EQ(h.trackCount, 0);
    EXPECT_EQ(h.division, 96);
}

TEST(BadInputTest, EmptyFile) {
    const auto r = readBytes({});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tracks.empty());
    expectUntouchedHeader(r.header);
}

TEST(BadInputTest, ThreeByteFile) {
    const auto r = readBytes({'M', 'T', 'h'});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tracks.empty());
    expectUntouchedHeader(r.header);
}

TEST(BadInputTest, UnknownSignature) {
    Bytes bytes = SmfBuilder().track().noteOn(0, 0, 60, 1).bytes();
    bytes[0] = 'm';
    const auto r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tracks.empty());
}

TEST(BadInputTest, NonexistentPath) {
    const test::TempDir dir;
    MidiFileHeader header;
    TrackSet tracks;
    EXPECT_FALSE(readMidiFile(dir.path() + "/missing.mid", header, tracks));
    EXPECT_TRUE(tracks.empty());
    expectUntouchedHeader(header);
}

TEST(BadInputTest, Directory) {
    const test::TempDir dir;
    MidiFileHeader header;
    TrackSet tracks;
    EXPECT_FALSE(readMidiFile(dir.path(), header, tracks));
    EXPECT_TRUE(tracks.empty());
}

TEST(BadInputTest, TruncatedHeader) {
    // "MThd", length and format present; the track count is cut in half.
    Bytes bytes = SmfBuilder().format(1).track().noteOn(0, 0, 60, 1).bytes();
    bytes.resize(11);
    const auto r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tracks.empty());
    EXPECT_EQ(r.header.format, 1);      // read before the cut
    EXPECT_EQ(r.header.trackCount, 0);  // not read
    EXPECT_EQ(r.tracks.division, 96u);  // the division was never reached
}

TEST(BadInputTest, HeaderAnnouncesMoreTracksThanPresent) {
    const auto r = readBytes(SmfBuilder()
                                 .trackCount(5)
                                 .track()
                                 .noteOn(0, 0, 60, 1)
                                 .endTrack()
                                 .track()
                                 .noteOn(0, 1, 61, 1)
                                 .endTrack()
                                 .bytes());
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.tracks.size(), 2u);  // both present tracks are kept
    EXPECT_EQ(r.tracks.tracks[1].events.front().message.pack(), 0x013D91u);
}

TEST(BadInputTest, HugeTrackCountInATinyFile) {
    const auto r = readBytes(SmfBuilder().trackCount(65535).bytes());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tracks.empty());
}

TEST(BadInputTest, ChunkHeaderCutShort) {
    Bytes bytes = SmfBuilder().track().noteOn(0, 0, 60, 1).track().noteOn(0, 0, 60, 1).bytes();
    bytes.resize(bytes.size() - 6);  // of the second chunk, its type and half its length stay
    const auto r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.tracks.size(), 1u);
}

TEST(BadInputTest, ChunkLengthLargerThanTheFile) {
    // The events run out at the end of the file: the track keeps them and counts
    // as read, so a one-track file still reads...
    const Bytes one =
        SmfBuilder().track().noteOn(0, 0, 60, 1).noteOff(10, 0, 60).chunkLength(100000).bytes();
    const auto r = readBytes(one);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), 1u);
    EXPECT_EQ(r.tracks.tracks[0].chunkLength, 100000u);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1]->message.pack(), 0x003C80u);
    // ...but the next chunk lies beyond the end, so a second track is missing.
    const Bytes two = SmfBuilder()
                          .track()
                          .noteOn(0, 0, 60, 1)
                          .chunkLength(0xFFFFFFFF)
                          .track()
                          .noteOn(0, 1, 60, 1)
                          .bytes();
    const auto r2 = readBytes(two);
    EXPECT_FALSE(r2.ok);
    ASSERT_EQ(r2.tracks.size(), 1u);
    // The second chunk's bytes were read as events of the first.
    EXPECT_GT(r2.tracks.tracks[0].size(), 1u);
}

TEST(BadInputTest, TrackCutInsideADeltaKeepsTheEventsBefore) {
    Bytes bytes = SmfBuilder().track().noteOn(0, 0, 60, 1).raw({0x81}).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);  // a track cut short still counts as read
    ASSERT_EQ(r.tracks.size(), 1u);
    EXPECT_EQ(r.tracks.tracks[0].size(), 1u);
}

TEST(BadInputTest, TrackCutAfterTheDeltaDropsTheEvent) {
    Bytes bytes = SmfBuilder().track().noteOn(0, 0, 60, 1).raw({0x05}).chunkLength(10).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tracks.tracks[0].size(), 1u);
}

TEST(BadInputTest, ChannelMessageCutShortKeepsZeroDataBytes) {
    // Missing data bytes are not detected: the note is kept with data2 0.
    const Bytes bytes = SmfBuilder().track().raw({0x00, 0x92, 0x3C}).chunkLength(10).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0]->message.pack(), 0x003C92u);
}

TEST(BadInputTest, VlqOfFiveContinuationBytes) {
    // Only the last four bytes of a quantity count: 0x8F drops out.
    const Bytes bytes =
        SmfBuilder().track().raw({0x8F, 0x80, 0x80, 0x80, 0x05, 0x90, 60, 1}).endTrack().bytes();
    const auto r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->time, 5u);
    EXPECT_EQ(e[0]->message.pack(), 0x013C90u);
}

TEST(BadInputTest, EndlessContinuationBytesStopAtTheEndOfTheFile) {
    Bytes tail(5000, 0x80);
    const Bytes bytes = SmfBuilder().track().noteOn(0, 0, 60, 1).raw(tail).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tracks.tracks[0].size(), 1u);
}

TEST(BadInputTest, MetaLengthLargerThanTheFile) {
    // A text event announcing 0x0FFFFFFF bytes with 5 left in the file.
    const Bytes bytes = SmfBuilder()
                            .track()
                            .noteOn(0, 0, 60, 1)
                            .raw({0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F})
                            .raw({'a', 'b', 'c', 'd', 'e'})
                            .bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1]->message.metaType(), 0x01);
    // The payload holds what the file has, not what it announced.
    EXPECT_EQ(e[1]->message.payloadText(), "abcde");
    EXPECT_LE(static_cast<size_t>(e[1]->message.payload.length()), bytes.size());
}

TEST(BadInputTest, SysexLengthLargerThanTheFile) {
    const Bytes bytes =
        SmfBuilder().track().raw({0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0x7F, 0x7E, 0x01}).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_TRUE(e[0]->message.isSysex());
    EXPECT_EQ(e[0]->message.payload.length(), 2);
}

TEST(BadInputTest, MetaEventCutAfterItsStatus) {
    // The meta type and the length are missing: a meta event of type 0 without
    // payload, kept like any event whose status byte was read.
    const Bytes bytes = SmfBuilder().track().raw({0x00, 0xFF}).chunkLength(20).bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_TRUE(e[0]->message.isMeta());
    EXPECT_EQ(e[0]->message.data1, 0);
    EXPECT_TRUE(e[0]->message.payload.empty());
}

TEST(BadInputTest, DataByteAtTrackStart) {
    // No running status yet: status 0, the byte kept as data1, and a
    // length-prefixed payload follows.
    const Bytes bytes = SmfBuilder()
                            .track()
                            .raw({0x00, 0x40, 0x02, 0x11, 0x22})
                            .noteOn(3, 3, 60, 1)
                            .endTrack()
                            .bytes();
    const auto r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    const MidiTrack& t = r.tracks.tracks[0];
    const auto e = eventsOf(t);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0]->message.status, 0);
    EXPECT_EQ(e[0]->message.data1, 0x40);
    EXPECT_EQ(e[0]->message.data2, 0);
    ASSERT_EQ(e[0]->message.payload.length(), 2);
    EXPECT_EQ(e[0]->message.payload.byteAt(0), 0x11);
    EXPECT_EQ(e[0]->message.payload.byteAt(1), 0x22);
    EXPECT_EQ(e[1]->time, 3u);
    EXPECT_EQ(e[1]->message.pack(), 0x013C93u);
    // Status 0 counts as real channel 0 (status & 15 below 0xF0).
    EXPECT_EQ(t.channelMask, 0x0009);
}

TEST(BadInputTest, RiffWithoutRmid) {
    const Bytes smf = SmfBuilder().track().noteOn(0, 0, 60, 1).bytes();
    const Bytes bytes = test::riffForm("WAVE", {test::riffChunk("data", smf)});
    const auto r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    // The reader met the RIFF header where it expected the MIDI header.
    EXPECT_EQ(std::string(r.header.chunkType.data(), 4), "RIFF");
    EXPECT_LT(r.tracks.size(), r.header.trackCount);
}

TEST(BadInputTest, RiffWithoutData) {
    const Bytes smf = SmfBuilder().track().noteOn(0, 0, 60, 1).bytes();
    const Bytes bytes = test::riffForm("RMID", {test::riffChunk("DATA", smf)});
    const auto r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(std::string(r.header.chunkType.data(), 4), "RIFF");
}

TEST(BadInputTest, RiffWithLyingSizes) {
    // A form size far beyond the file and a data chunk claiming 4 GiB: the
    // walk still finds the data, and the embedded file reads.
    const Bytes smf = SmfBuilder().track().noteOn(0, 0, 60, 1).bytes();
    Bytes body = {'R', 'M', 'I', 'D'};
    const Bytes data = test::riffChunk("data", smf, 0xFFFFFFFF);
    body.insert(body.end(), data.begin(), data.end());
    const Bytes bytes = test::riffChunk("RIFF", body, 0xFFFFFFF0);
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tracks.size(), 1u);
}

TEST(BadInputTest, DivisionZeroReadsWithoutSwingFigures) {
    const auto r = readBytes(
        SmfBuilder().division(0).track().noteOn(0, 0, 60, 1).noteOn(7, 0, 62, 1).bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tracks.division, 0u);
    EXPECT_EQ(r.tracks.tracks[0].swing.count, (std::array<int32_t, 4>{}));
}

TEST(BadInputTest, PayloadsReachingOverManyChunksAreNotReadQuadratically) {
    // 3000 chunks of one byte each (a delta). Each chunk's last event takes its
    // status and a length of 65535 from the next chunk's type and then reaches
    // over every chunk after it. Payload bytes past the chunk ends are limited
    // to the file's size in total.
    const int chunks = 3000;
    SmfBuilder b;
    b.trackCount(chunks);
    for (int i = 0; i < chunks; ++i) b.track("\xF0\x83\xFF\x7F").raw({0x00});
    const Bytes bytes = b.bytes();
    const auto r = readBytes(bytes);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), static_cast<size_t>(chunks));
    size_t payloadBytes = 0;
    for (const MidiTrack& t : r.tracks.tracks)
        for (const MidiEvent& e : t.events) payloadBytes += e.message.payload.length();
    EXPECT_LE(payloadBytes, bytes.size());
    // The first one gets everything after its length bytes.
    const MidiEvent& first = r.tracks.tracks[0].events.front();
    EXPECT_EQ(first.message.status, 0xF0);
    EXPECT_EQ(static_cast<size_t>(first.message.payload.length()), bytes.size() - 14 - 9 - 4);
    // The last chunk has nothing after it: no status byte, no event.
    EXPECT_TRUE(r.tracks.tracks.back().empty());
}

}  // namespace
}  // namespace vl
