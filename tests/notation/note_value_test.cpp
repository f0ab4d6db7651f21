// Note-value codes and their lengths, metric levels in 64ths, and the fitting
// of a played length to the length it is written with (ticks in, ticks out).

#include "notation/note_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vl {
namespace {

TEST(NoteValueLength, CodesInSixtyFourths) {
    const std::vector<std::pair<uint8_t, int32_t>> cases = {
        {0x00, 128}, {0x01, 64}, {0x02, 32}, {0x03, 16}, {0x04, 8}, {0x05, 4}, {0x06, 2},
        {0x07, 1},
        {0x08, 192},  // dotted breve
        {0x0B, 24},   // dotted crotchet
        {0x0F, 1},    // dotted hemidemisemiquaver: 3/2 truncated
        {0x1B, 28},   // double-dotted crotchet
        {0x1E, 3},    // double-dotted demisemiquaver: 7/2 truncated
        {0x13, 16},   // bit 0x10 alone is no dot
        {0x21, 64},   // whole-bar rest: written as a semibreve
        {0x80, 0},    {0x83, 0},
    };
    for (const auto& [code, length] : cases) {
        EXPECT_EQ(noteValueLength(code), length) << "code 0x" << std::hex << int{code};
    }
}

TEST(NoteValueLevel, LongestValueDividingThePositionInItsBreve) {
    const std::vector<std::pair<int64_t, uint8_t>> cases = {
        {0, 0},  {128, 0}, {256, 0}, {64, 1}, {192, 1}, {32, 2}, {96, 2}, {16, 3}, {48, 3},
        {8, 4},  {24, 4},  {4, 5},   {12, 5}, {2, 6},   {6, 6},  {1, 7},  {127, 7}, {129, 7},
        {-64, 1},  // taken modulo 128 into 0..127
    };
    for (const auto& [position, level] : cases) {
        EXPECT_EQ(metricLevelOf64th(position), level) << "position " << position;
    }
}

// ---- fitLength ---------------------------------------------------------------

struct FitCase {
    const char* name;
    int64_t p;
    int64_t L;
    int64_t M;
    uint16_t flags;
    uint32_t division;
    int64_t expected;
};

TEST(NoteValueFit, WrittenLengths) {
    const std::vector<FitCase> cases = {
        {"crotchet stays", 0, 96, 96, 0, 96, 96},
        // end 4 -> 8 -> 16 64ths, within the limit 4 x 4
        {"semiquaver lengthened to a crotchet", 0, 24, 96, 0, 96, 96},
        {"semiquaver kept by its limit", 0, 24, 24, 0, 96, 24},
        {"30 ticks: five 64ths, nothing to gain", 0, 30, 30, 0, 96, 30},
        // A start at 64th 4 is weaker than an end at 64th 8: nothing to do.
        {"end already as strong as the start", 24, 24, 96, 0, 96, 24},
        // Extension limits by length (64ths), with room to spare in M:
        {"L < 5: up to 4L", 0, 24, 2000, 0, 96, 96},
        {"L < 9: up to 3L, not 4L", 0, 48, 2000, 0, 96, 96},
        {"L <= 24: up to 2L", 0, 60, 2000, 0, 96, 96},          // 10 -> 12 -> 16, not 32
        {"25..63: up to 3L/2, not 2L", 0, 240, 2000, 0, 96, 288},  // 40 -> 48, not 64
        {"L >= 64: to the next multiple of 16", 0, 396, 2000, 0, 96, 480},  // 66 -> 80
        // The played length first snaps up to the tick grid, then back under M.
        {"raised to the grid", 0, 20, 24, 0, 96, 24},
        {"raised, then lowered under the limit", 0, 20, 22, 0, 96, 18},
        {"limit 0 leaves nothing", 0, 24, 0, 0, 96, 0},
        // Divisions without whole 64ths snap to their largest odd divisor.
        {"division 120: grid 15", 0, 20, 40, 0, 120, 30},
        {"division 100: grid 25, lengthened", 0, 10, 100, 0, 100, 100},
        {"division 7: grid 7", 0, 3, 7, 0, 7, 7},
        {"division 24: grid 3", 0, 4, 6, 0, 24, 6},
        // Tuplets are fitted as the plain values they are written with.
        {"triplet: 30 ticks fitted as 48, written 32", 0, 20, 64, 0x20, 96, 32},
        {"the same note without triplet", 0, 20, 64, 0, 96, 48},
        {"triplet later in the beat", 32, 10, 64, 0x20, 96, 32},
        {"quintuplet: 48 x 4/5 truncated", 0, 20, 80, 0x40, 96, 38},
        {"triplet bit wins over quintuplet", 0, 20, 64, 0x60, 96, 32},
        {"other flag bits are no tuplet", 0, 20, 64, 0x0F, 96, 48},
        // Hostile input.
        {"zero length", 0, 0, 96, 0, 96, 0},
        {"negative arguments count as 0", -5, -10, -96, 0, 96, 0},
        {"division 0 keeps the played length", 0, 30, 96, 0, 0, 30},
    };
    for (const FitCase& c : cases) {
        EXPECT_EQ(fitLength(c.p, c.L, c.M, c.flags, c.division), c.expected) << c.name;
    }
}

TEST(NoteValueFit, ResultNeverExceedsLimitNorOverflows) {
    const int64_t huge = std::numeric_limits<int64_t>::max();
    for (uint32_t division : {1u, 3u, 96u, 120u, 480u, 65535u, 0xFFFFFFFFu}) {
        for (uint16_t flags : {uint16_t{0}, uint16_t{0x20}, uint16_t{0x40}}) {
            SCOPED_TRACE(std::to_string(division) + " flags " + std::to_string(flags));
            for (int64_t M : {int64_t{0}, int64_t{1}, int64_t{95}, int64_t{1000}}) {
                for (int64_t L : {int64_t{1}, int64_t{7}, int64_t{96}, int64_t{999}}) {
                    const int64_t fitted = fitLength(17, L, M, flags, division);
                    EXPECT_GE(fitted, 0);
                    EXPECT_LE(fitted, M) << "L " << L << " M " << M;
                }
            }
            const int64_t fitted = fitLength(huge, huge, huge, flags, division);
            EXPECT_GE(fitted, 0);
        }
    }
}

}  // namespace
}  // namespace vl
