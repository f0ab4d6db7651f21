// Input no recording would give, through the C interface; the sanitizer build
// turns any bad read, leak or undefined behaviour on the way into a failure.
// Every malformed file in tests/data/bad either fails to open (null handle) or
// opens, initialises and is walked to the end (tests/data/cases/bad_files.txt
// says which file does which). Live sessions get data bytes in the status
// place, deltas at the 32-bit limit, an end of track in the middle and
// divisions of 0 and 1; the transcription and every editing command complete
// on them, and the host's walk ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "interface/host_walk.h"
#include "support/case_file.h"
#include "support/source_path.h"

namespace vl::test {
namespace {

namespace fs = std::filesystem;

TEST(BadFiles, each_file_fails_cleanly_or_imports_to_the_end) {
    std::set<std::string> listed;
    const auto cases = readCases("bad_files");
    for (const Case& c : cases) {
        const bool opens = &c != &cases.front();
        std::istringstream names(c["files"]);
        for (std::string name; names >> name;) {
            SCOPED_TRACE(name);
            listed.insert(name);
            const std::string path = sourcePath("tests/data/bad/" + name).string();
            ::ImportSession* s = vlImportOpenFromName(path.c_str());
            ASSERT_EQ(s != nullptr, opens);
            if (s == nullptr) continue;
            const int32_t strands = vlImportInitialise(s);
            EXPECT_GE(strands, 0);
            EXPECT_EQ(vlImportStrandCount(s), strands);
            EXPECT_LT(walkEverything(s), kWalkCeiling);
            vlImportClose(&s);
            EXPECT_EQ(s, nullptr);
        }
    }
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(sourcePath("tests/data/bad")))
        if (entry.path().extension() == ".mid" || entry.path().extension() == ".rmi")
            onDisk.insert(entry.path().filename().string());
    EXPECT_EQ(onDisk, listed);
}

struct Append {
    int32_t track;
    uint32_t message;
    uint32_t delta;
};

const Append kHostile[] = {
    {0, 0x643C90u, 0},           {0, 0x643C40u, 10},  // a status below 0x80
    {0, 0x00000005u, 0},                              // a bare data byte
    {0, 0x2FFFu, 5},                                  // end of track in the middle
    {0, 0x003C80u, 0xFFFFFFFFu}, {0, 0x643E90u, 0xFFFFFFFFu}, {0, 0x003E80u, 1},
    {1, 0x7F4091u, 0},           {1, 0x7F4091u, 0},   // a note-on again while it sounds
    {1, 0x0000F8u, 3},                                // a real-time byte
    {1, 0x0000FFu, 0},                                // a meta status with no type
    {1, 0x2FFFu, 0},             {0, 0x2FFFu, 0},
};

// The hostile appends with every delta above limit cut down to limit.
::ImportSession* hostileSession(int32_t division, uint32_t limit) {
    ::ImportSession* s = vlMidiImportNew(0, 0, division, 2);
    for (const Append& a : kHostile)
        vlMidiImportAppend(s, a.track, a.message, a.delta < limit ? a.delta : limit);
    vlMidiImportTimeSet(s, 0, 0x08180307u, 0);  // 3/128: a denominator beyond the table
    return s;
}

TEST(LiveInputHostile, every_command_completes_and_the_walk_ends) {
    void (*const commands[])(::ImportSession*) = {
        [](::ImportSession* s) { VlMidiQuantiseFixDelay(s); },
        [](::ImportSession* s) { VlMidiDuplicateTracksRemove(s); }, VlMidiTrackLengthsEqualise,
        [](::ImportSession* s) { VlMidiKillBaddies(s); },
        [](::ImportSession* s) { VlMidiQuantiseFirstStep(s); }, VlMidiFiducialEventsToggle,
        VlMidiFiducialEventsInsert, [](::ImportSession* s) { VlMidiBarlinesInsert(s); },
        [](::ImportSession* s) { VlMidiProprietaryOnOffsInsert(s); },
        [](::ImportSession* s) { VlMidiAnnotate(s); }, VlMidiQuantiseStrands,
        VlMidiFiducialEventsClear};
    for (int32_t division : {96, 1, 0}) {
        SCOPED_TRACE(division);
        ::ImportSession* s = hostileSession(division, 5000);
        ASSERT_NE(s, nullptr);
        EXPECT_GE(vlImportInitialise(s), 0);
        EXPECT_LT(walkEverything(s), kWalkCeiling);
        for (auto command : commands) {
            command(s);
            EXPECT_LT(walkEverything(s), kWalkCeiling);
        }
        vlImportClose(&s);
    }
}

// Deltas at the 32-bit limit put the music millions of bars apart; the bar
// markers stop at their cap and the transcription still ends.
TEST(LiveInputHostile, the_largest_deltas_are_transcribed) {
    ::ImportSession* s = hostileSession(96, UINT32_MAX);
    ASSERT_NE(s, nullptr);
    EXPECT_GE(vlImportInitialise(s), 0);
    EXPECT_LT(walkEverything(s), kWalkCeiling);
    VlMidiQuantiseStrands(s);
    EXPECT_GE(VlMidiQuantiseFixDelay(s), 0);
    vlImportClose(&s);
}

}  // namespace
}  // namespace vl::test
