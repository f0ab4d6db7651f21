// Malformed files (the table in tests/data/cases/bad_input.txt), paths that are no
// file, and a file whose payloads reach over thousands of chunks.

#include <gtest/gtest.h>

#include "midi/read_bytes.h"

namespace vl::test {
namespace {

TEST(BadInput, every_malformed_file_gives_its_exact_outcome) { expectReadCases("bad_input"); }

TEST(BadInput, a_missing_file_or_a_directory_fails_and_leaves_the_header_untouched) {
    const TempDir dir;
    for (const std::string& path : {dir.path() + "/missing.mid", dir.path()}) {
        MidiFileHeader header;
        TrackSet tracks;
        EXPECT_EQ(readText(readMidiFile(path, header, tracks), header, tracks),
                  "failed MThd 6 format 0 tracks 0 division 96")
            << path;
    }
}

// 3000 chunks of one byte each: each chunk's last event takes its status and a
// length of 65535 from the next chunk's type and reaches over every chunk after it.
// Payload bytes past the chunk ends are limited to the file's size in total.
TEST(BadInput, payloads_reaching_over_many_chunks_are_not_read_quadratically) {
    const int chunks = 3000;
    SmfBuilder b;
    b.trackCount(chunks);
    for (int i = 0; i < chunks; ++i) b.track("\xF0\x83\xFF\x7F").raw({0x00});
    const Bytes bytes = b.bytes();
    const TempFile file = writeTempFile(bytes);
    MidiFileHeader header;
    TrackSet tracks;
    EXPECT_TRUE(readMidiFile(file.path(), header, tracks));
    ASSERT_EQ(tracks.size(), static_cast<size_t>(chunks));
    size_t payloadBytes = 0;
    for (const MidiTrack& t : tracks.tracks)
        for (const MidiEvent& e : t.events) payloadBytes += e.message.payload.length();
    EXPECT_LE(payloadBytes, bytes.size());
    // The first one gets everything after its length bytes; the last has no event.
    const MidiEvent& first = tracks.tracks[0].events.front();
    EXPECT_EQ(static_cast<size_t>(first.message.payload.length()), bytes.size() - 14 - 9 - 4);
    EXPECT_TRUE(tracks.tracks.back().empty());
}

}  // namespace
}  // namespace vl::test
