#include "midi/midi_file_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "midi/read_bytes.h"
#include "midi/riff_reader.h"
#include "midi/swing_statistics.h"
#include "support/smf_builder.h"
#include "support/source_path.h"

namespace vl {
namespace {

using test::Bytes;
using test::eventsOf;
using test::readBytes;
using test::SmfBuilder;

TEST(MidiFileReaderTest, FormatZeroOneTrackDivision480) {
    const auto r = readBytes(SmfBuilder()
                                 .format(0)
                                 .division(480)
                                 .track()
                                 .tempo(0, 500000)
                                 .noteOn(0, 2, 60, 100)
                                 .noteOff(480, 2, 60, 64)
                                 .endTrack(10)
                                 .bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.header.format, 0);
    EXPECT_EQ(r.header.trackCount, 1);
    ASSERT_EQ(r.tracks.size(), 1u);
    const MidiTrack& t = r.tracks.tracks[0];
    EXPECT_EQ(t.division, 480u);
    EXPECT_EQ(t.chunkLength, 4u + 7 + 4 + 5);
    const auto e = eventsOf(t);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0]->message.payload.byteAt(0), 0x07);
    EXPECT_EQ(e[1]->message.pack(), 0x643C92u);
    EXPECT_EQ(e[2]->time, 480u);
    EXPECT_EQ(e[2]->message.pack(), 0x403C82u);
    EXPECT_EQ(e[3]->time, 10u);
    EXPECT_TRUE(e[3]->message.isEndOfTrack());
    EXPECT_EQ(e[1]->strand, -1);  // reading leaves the annotations unset
}

TEST(MidiFileReaderTest, FormatIsStoredAndHeaderLengthIsNotUsedToSkip) {
    // A header claiming 10 bytes: the track chunk still follows the 14 bytes.
    const auto r = readBytes(
        SmfBuilder().format(7).headerLength(10).track().noteOn(0, 0, 60, 1).endTrack().bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.header.format, 7);
    EXPECT_EQ(r.header.chunkLength, 10u);
    ASSERT_EQ(r.tracks.size(), 1u);
    EXPECT_EQ(r.tracks.tracks[0].size(), 2u);
}

TEST(MidiFileReaderTest, TrackChunkTypeIsStoredNotCompared) {
    const auto r = readBytes(SmfBuilder().track("XTRA").noteOn(0, 0, 60, 1).bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::string(r.tracks.tracks[0].chunkType.data(), 4), "XTRA");
}

TEST(MidiFileReaderTest, RiffRmidIsReadFromTheDataChunk) {
    const Bytes smf = SmfBuilder().division(120).track().noteOn(5, 1, 64, 80).endTrack().bytes();
    // An odd-sized chunk before "data" is padded to an even length.
    const Bytes file = test::riffForm(
        "RMID", {test::riffChunk("LIST", {'I', 'N', 'F'}), test::riffChunk("data", smf)});
    {
        const test::TempFile temp = test::writeTempFile(file, "song.rmi");
        ReadOnlyFile f(temp.path());
        // RIFF header 12, LIST header 8 + 3 + pad 1, data header 8.
        EXPECT_EQ(findRmidDataOffset(f), std::optional<uint64_t>(12 + 12 + 8));
    }
    const auto r = readBytes(file);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::string(r.header.chunkType.data(), 4), "MThd");
    EXPECT_EQ(r.header.division, 120);
    ASSERT_EQ(r.tracks.size(), 1u);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->time, 5u);
    EXPECT_EQ(e[0]->message.pack(), 0x504091u);
}

TEST(MidiFileReaderTest, RunningStatusSurvivesMetaAndSysexEvents) {
    const auto r = readBytes(SmfBuilder()
                                 .track()
                                 .noteOn(0, 3, 60, 100)
                                 .text(0, 0x01, "between")
                                 .running(10, {62, 90})
                                 .sysex(0, {0x7E, 0xF7})
                                 .running(0, {64, 0})
                                 .message(0, 0xF8)  // clock: a system message
                                 .running(5, {65, 1})
                                 .endTrack()
                                 .bytes());
    ASSERT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(e[1]->message.payloadText(), "between");
    EXPECT_EQ(e[2]->time, 10u);
    EXPECT_EQ(e[2]->message.pack(), 0x5A3E93u);
    EXPECT_TRUE(e[3]->message.isSysex());
    EXPECT_EQ(e[3]->message.payload.length(), 2);  // the closing 0xF7 is payload
    EXPECT_EQ(e[4]->message.pack(), 0x004093u);
    EXPECT_TRUE(e[4]->message.isNoteOff());
    EXPECT_EQ(e[5]->message.pack(), 0xF8u);
    EXPECT_EQ(e[6]->message.pack(), 0x014193u);
}

TEST(MidiFileReaderTest, RunningStatusOfTwoByteMessagesAndAcrossKinds) {
    const auto r = readBytes(SmfBuilder()
                                 .track()
                                 .programChange(0, 4, 10)
                                 .running(0, {11})
                                 .controlChange(0, 4, 7, 100)
                                 .running(0, {10, 64})
                                 .running(0, {91, 0})
                                 .endTrack()
                                 .bytes());
    ASSERT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(e[1]->message.pack(), 0x0BC4u);
    EXPECT_EQ(e[3]->message.pack(), 0x400AB4u);
    EXPECT_EQ(e[4]->message.pack(), 0x005BB4u);
    EXPECT_TRUE(e[5]->message.isEndOfTrack());
}

TEST(MidiFileReaderTest, RunningStatusStartsAfreshInEveryTrack) {
    const auto r = readBytes(SmfBuilder()
                                 .track()
                                 .noteOn(0, 0, 60, 100)
                                 .endTrack()
                                 .track()
                                 // status 0, data1 0x40, then a 2-byte payload
                                 .running(0, {0x40, 0x02, 0xAA, 0xBB})
                                 .endTrack()
                                 .bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), 2u);
    const auto e = eventsOf(r.tracks.tracks[1]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->message.status, 0);
    EXPECT_EQ(e[0]->message.payload.length(), 2);
    EXPECT_TRUE(e[1]->message.isEndOfTrack());
}

TEST(MidiFileReaderTest, LongerChunkLengthReadsTheBytesThatFollowAsEvents) {
    // The chunk claims 4 bytes more than its events; the 4 bytes after it are
    // read as one more event of the same track.
    const Bytes bytes = SmfBuilder()
                            .track()
                            .noteOn(0, 0, 60, 100)
                            .endTrack()
                            .chunkLength(4 + 4 + 4)
                            .rawFileBytes({0x07, 0x91, 0x40, 0x50})
                            .bytes();
    const auto r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[2]->time, 7u);
    EXPECT_EQ(e[2]->message.pack(), 0x504091u);
}

TEST(MidiFileReaderTest, ShorterChunkLengthStopsAndNextChunkIsSoughtAtTheStatedEnd) {
    // Track 1 claims only its first event; a whole chunk hides in the rest of
    // its body and is read as track 2.
    const Bytes hidden = SmfBuilder().noHeader().track().noteOn(0, 5, 70, 1).endTrack().bytes();
    const Bytes bytes = SmfBuilder()
                            .trackCount(2)
                            .track()
                            .noteOn(0, 0, 60, 100)
                            .chunkLength(4)
                            .raw(hidden)
                            .bytes();
    const auto r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), 2u);
    EXPECT_EQ(r.tracks.tracks[0].size(), 1u);
    const auto e = eventsOf(r.tracks.tracks[1]);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->message.pack(), 0x014695u);
}

TEST(MidiFileReaderTest, EventStraddlingTheStatedEndIsReadWhole) {
    // Track 1 ends inside a text event that announces 6 bytes but holds 3: the
    // event takes 3 more from the next chunk's header, and that chunk is still
    // read from the stated end.
    const Bytes track1 = {0x00, 0xFF, 0x01, 0x06, 'a', 'b', 'c'};
    const Bytes track2 = SmfBuilder().noHeader().track().noteOn(0, 1, 61, 2).bytes();
    const auto r = readBytes(
        SmfBuilder().trackCount(2).track().raw(track1).rawFileBytes(track2).bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), 2u);
    const auto e = eventsOf(r.tracks.tracks[0]);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0]->message.payloadText(), "abcMTr");
    ASSERT_EQ(r.tracks.tracks[1].size(), 1u);
    EXPECT_EQ(r.tracks.tracks[1].events.front().message.pack(), 0x023D91u);
}

TEST(MidiFileReaderTest, HeaderAnnouncingTwoTracksWithOnePresentFails) {
    const auto r =
        readBytes(SmfBuilder().trackCount(2).track().noteOn(0, 0, 60, 1).endTrack().bytes());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.header.trackCount, 2);
    ASSERT_EQ(r.tracks.size(), 1u);  // the track read stays
    EXPECT_EQ(r.tracks.tracks[0].size(), 2u);
}

TEST(MidiFileReaderTest, ChannelMaskCollectsRealChannelsPerTrack) {
    const auto r = readBytes(SmfBuilder()
                                 .track()
                                 .noteOn(0, 0, 60, 1)
                                 .programChange(0, 9, 3)
                                 .pitchBend(0, 15, 8192)
                                 .running(0, {0, 64})
                                 .sysex(0, {0xF7})
                                 .markerText(0, "KQVLBAR")
                                 .endTrack()
                                 .track()
                                 .trackName(0, "meta only")
                                 .tempo(0, 400000)
                                 .endTrack()
                                 .track()
                                 .noteOn(0, 4, 60, 1)
                                 .bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.tracks.size(), 3u);
    EXPECT_EQ(r.tracks.tracks[0].channelMask, 0x8201);
    EXPECT_EQ(r.tracks.tracks[1].channelMask, 0);
    EXPECT_EQ(r.tracks.tracks[2].channelMask, 0x0010);
}

TEST(MidiFileReaderTest, SwingStatisticsOfASmallTrack) {
    // Division 96: eighth 48, sixteenth 24; class = odd sixteenth + 2 x odd
    // eighth. A note-on counts only when both its eighth and its sixteenth
    // differ from the previous note-on's.
    const auto r = readBytes(SmfBuilder()
                            .division(96)
                            .track()
                            .noteOn(0, 0, 60, 90)      // t 0: class 0, offset 0
                            .noteOn(0, 0, 64, 90)      // t 0: same slot
                            .noteOff(30, 0, 60)        // t 30: not a note-on
                            .noteOn(47, 0, 67, 90)     // t 77: class 3, offset 5
                            .noteOn(3, 0, 69, 90)      // t 80: same slot
                            .noteOn(10, 0, 60, 0)      // t 90: velocity 0 is a note-off
                            .noteOn(35, 0, 71, 90)     // t 125: class 1, offset 5
                            .noteOn(5, 0, 72, 90)      // t 130: same slot
                            .noteOn(20, 0, 74, 90)     // t 150: class 2, offset 6
                            .noteOn(18, 0, 76, 90)     // t 168: same eighth, not counted
                            .markerText(24, "KQVLBAR")  // bar at 192
                            .noteOn(170, 0, 77, 90)    // 170 after the bar: eighth and
                                                       // sixteenth as at 168, but the
                                                       // bar reset them: class 3, offset 2
                            .noteOn(26, 0, 79, 90)     // 196 after the bar: class 0, offset 4
                            .endTrack()
                            .bytes());
    ASSERT_TRUE(r.ok);
    const SwingStatistics& s = r.tracks.tracks[0].swing;
    EXPECT_EQ(s.count, (std::array<int32_t, 4>{2, 1, 1, 2}));
    EXPECT_EQ(s.offsetSum, (std::array<int32_t, 4>{4, 5, 6, 7}));
    EXPECT_EQ(s.offsetSquares, (std::array<int32_t, 4>{16, 25, 36, 29}));
    // Computing again gives the same figures, not doubled ones.
    MidiTrack again = r.tracks.tracks[0];
    EXPECT_EQ(computeSwingStatistics(again), 6);
    EXPECT_EQ(again.swing.offsetSquares, s.offsetSquares);

}

TEST(MidiFileReaderTest, ReadStandardMidiFileAtAnOffset) {
    Bytes file = {'a', 'b', 'c'};
    const Bytes smf = SmfBuilder().division(200).track().noteOn(0, 0, 60, 1).bytes();
    file.insert(file.end(), smf.begin(), smf.end());
    const test::TempFile temp = test::writeTempFile(file);
    MidiFileHeader header;
    TrackSet tracks;
    ASSERT_TRUE(readStandardMidiFile(temp.path(), 3, header, tracks));
    EXPECT_EQ(header.division, 200);
    EXPECT_EQ(tracks.size(), 1u);
    // At offset 0 the header is misread (type "abcM", 6 tracks) and fails.
    MidiFileHeader h0;
    TrackSet t0;
    EXPECT_FALSE(readStandardMidiFile(temp.path(), 0, h0, t0));
}

// Every real-world file either reads completely or fails cleanly.
TEST(MidiFileReaderTest, CorpusFilesReadOrFailCleanly) {
    const std::filesystem::path corpus = test::sourcePath("../shared/corpus");
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int midiFiles = 0;
    int read = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = entry.path().string();
        const std::string ext = entry.path().extension().string();
        const bool looksMidi = ext == ".mid" || ext == ".midi" || ext == ".kar" || ext == ".rmi";
        MidiFileHeader header;
        TrackSet tracks;
        const bool ok = readMidiFile(path, header, tracks);
        if (ok) {
            ++read;
            EXPECT_EQ(tracks.size(), header.trackCount) << path;
            EXPECT_EQ(tracks.division, header.division) << path;
        } else {
            EXPECT_LE(tracks.size(), header.trackCount) << path;
        }
        if (looksMidi) {
            ++midiFiles;
            EXPECT_TRUE(ok) << path;
        }
    }
    EXPECT_GT(midiFiles, 0);
    EXPECT_EQ(read, midiFiles);
}

}  // namespace
}  // namespace vl
