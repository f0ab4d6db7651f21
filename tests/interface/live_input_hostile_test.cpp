// Live sessions built from input no recording would give: messages with data
// bytes in the status place, deltas at the 32-bit limit, an end of track in the
// middle, divisions of 0 and 1. The transcription and every editing command
// must complete on them, and the host's walk must end.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "vlmidiin.h"

namespace {

struct Append {
    int32_t track;
    uint32_t message;
    uint32_t delta;
};

const std::vector<Append> kHostile = {
    {0, 0x643C90u, 0},           // note-on
    {0, 0x643C40u, 10},          // status below 0x80
    {0, 0x00000005u, 0},         // a bare data byte
    {0, 0x2FFFu, 5},             // end of track in the middle
    {0, 0x003C80u, 0xFFFFFFFFu}, // the largest delta, after the end
    {0, 0x643E90u, 0xFFFFFFFFu},
    {0, 0x003E80u, 1},
    {1, 0x7F4091u, 0},           // a note-on without its note-off
    {1, 0x7F4091u, 0},           // and again while it sounds
    {1, 0x0000F8u, 3},           // a real-time byte
    {1, 0x0000FFu, 0},           // a meta status with no type
    {1, 0x2FFFu, 0},
    {0, 0x2FFFu, 0},
};

// Walks every list the host can ask for; false when a walk does not end.
bool walkEverything(ImportSession* s) {
    constexpr int kLimit = 1000000;
    ImportItem item{};
    auto walkList = [&] {
        int n = 0;
        for (bool more = vlImportGetFirstItem(s, &item) != 0; more && n < kLimit;
             more = vlImportGetNextItem(s, &item) != 0)
            ++n;
        return n < kLimit;
    };
    if (vlImportGetStartItems(s) != 0 && !walkList()) return false;
    if (vlImportGetGuideStrand(s) != 0 && !walkList()) return false;
    int strands = 0;
    for (bool more = vlImportGetFirstStrand(s) != 0; more && strands < kLimit;
         more = vlImportGetNextStrand(s) != 0, ++strands) {
        if (!walkList()) return false;
    }
    return strands < kLimit;
}

using Command = void (*)(ImportSession*);
const Command kCommands[] = {
    [](ImportSession* s) { VlMidiQuantiseFixDelay(s); },
    [](ImportSession* s) { VlMidiDuplicateTracksRemove(s); },
    [](ImportSession* s) { VlMidiTrackLengthsEqualise(s); },
    [](ImportSession* s) { VlMidiKillBaddies(s); },
    [](ImportSession* s) { VlMidiQuantiseFirstStep(s); },
    [](ImportSession* s) { VlMidiFiducialEventsToggle(s); },
    [](ImportSession* s) { VlMidiFiducialEventsInsert(s); },
    [](ImportSession* s) { VlMidiBarlinesInsert(s); },
    [](ImportSession* s) { VlMidiProprietaryOnOffsInsert(s); },
    [](ImportSession* s) { VlMidiAnnotate(s); },
    [](ImportSession* s) { VlMidiQuantiseStrands(s); },
    [](ImportSession* s) { VlMidiFiducialEventsClear(s); },
};

// Appends kHostile with every delta above limit cut down to limit.
ImportSession* hostileSession(int32_t division, uint32_t limit) {
    ImportSession* s = vlMidiImportNew(0, 0, division, 2);
    if (s == nullptr) return nullptr;
    for (const Append& a : kHostile)
        vlMidiImportAppend(s, a.track, a.message, a.delta < limit ? a.delta : limit);
    vlMidiImportTimeSet(s, 0, 0x08180307u, 0);  // 3/128: a denominator beyond the table
    return s;
}

TEST(LiveInputHostile, every_command_completes_and_the_walk_ends) {
    for (int32_t division : {96, 1, 0}) {
        ImportSession* s = hostileSession(division, 5000);
        ASSERT_NE(s, nullptr);
        EXPECT_GE(vlImportInitialise(s), 0) << division;
        EXPECT_TRUE(walkEverything(s)) << division;
        for (Command command : kCommands) {
            command(s);
            EXPECT_TRUE(walkEverything(s)) << division;
        }
        vlImportClose(&s);
        EXPECT_EQ(s, nullptr);
    }
}

// Deltas at the 32-bit limit put the music millions of bars apart; the bar
// markers stop at their cap and the transcription still ends.
TEST(LiveInputHostile, the_largest_deltas_are_transcribed) {
    ImportSession* s = hostileSession(96, UINT32_MAX);
    ASSERT_NE(s, nullptr);
    EXPECT_GE(vlImportInitialise(s), 0);
    EXPECT_TRUE(walkEverything(s));
    VlMidiQuantiseStrands(s);
    EXPECT_GE(VlMidiQuantiseFixDelay(s), 0);
    vlImportClose(&s);
}

}  // namespace
