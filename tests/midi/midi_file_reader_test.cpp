// Reading standard and RIFF MIDI files: the table in tests/data/cases/midi_read.txt,
// and every file of the shared corpus.

#include <gtest/gtest.h>

#include <filesystem>

#include "midi/read_bytes.h"
#include "support/source_path.h"

namespace vl::test {
namespace {

TEST(MidiFileReader, every_file_of_the_table_reads_as_expected) { expectReadCases("midi_read"); }

TEST(MidiFileReader, every_corpus_file_reads_completely) {
    const std::filesystem::path corpus = sourcePath("../shared/corpus");
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mid" && ext != ".midi" && ext != ".kar" && ext != ".rmi") continue;
        MidiFileHeader header;
        TrackSet tracks;
        ++files;
        EXPECT_TRUE(readMidiFile(entry.path().string(), header, tracks)) << entry.path();
        EXPECT_EQ(tracks.size(), header.trackCount) << entry.path();
        EXPECT_EQ(tracks.division, header.division) << entry.path();
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace vl::test
