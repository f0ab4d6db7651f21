// Splitting a span (64ths from the bar line) into printable note values in
// simple, odd-simple and compound time; the absorbing of the following piece;
// tuplet spans; and the guarantees that hold for any input at all: the pieces
// add up to the span and the splitter always stops.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "notation/note_value.h"

namespace vl {
namespace {

std::vector<uint8_t> split(int64_t position, int64_t length, int numerator, int exponent,
                           int ratio = 0) {
    NoteValueSplitter splitter(position, length, ratio, numerator, exponent);
    std::vector<uint8_t> codes;
    uint8_t code = 0;
    while (splitter.next(code)) codes.push_back(code);
    return codes;
}

std::string hexCodes(const std::vector<uint8_t>& codes) {
    std::ostringstream out;
    for (uint8_t c : codes) out << " 0x" << std::hex << int{c};
    return out.str();
}

struct SplitCase {
    const char* name;
    int numerator;
    int exponent;
    int64_t position;
    int64_t length;
    int ratio;
    std::vector<uint8_t> codes;
};

TEST(NoteValueSplitter, SpansAsCodes) {
    const std::vector<SplitCase> cases = {
        // 4/4
        {"4/4 semibreve", 4, 2, 0, 64, 0, {0x01}},
        {"4/4 dotted minim", 4, 2, 0, 48, 0, {0x0A}},
        {"4/4 dotted crotchet", 4, 2, 0, 24, 0, {0x0B}},
        {"4/4 quaver absorbs the crotchet after it", 4, 2, 8, 56, 0, {0x0B, 0x02}},
        {"4/4 only the first piece absorbs", 4, 2, 4, 60, 0, {0x0C, 0x03, 0x02}},
        {"4/4 crotchets across the middle stay apart", 4, 2, 48, 32, 0, {0x03, 0x03}},
        {"4/4 rest after a semiquaver", 4, 2, 4, 12, 0, {0x0C}},
        {"4/4 five 64ths", 4, 2, 0, 5, 0, {0x05, 0x07}},
        {"4/4 semiquaver before the beat keeps its quaver", 4, 2, 12, 12, 0, {0x05, 0x04}},
        {"4/4 crotchet then quaver off the half bar", 4, 2, 16, 24, 0, {0x03, 0x04}},
        {"4/4 two bars", 4, 2, 0, 128, 0, {0x00}},
        {"4/4 one 64th", 4, 2, 17, 1, 0, {0x07}},
        // Tuplet spans skip the level tests of absorbing.
        {"tuplet: crotchets joined across the middle", 4, 2, 48, 32, 3, {0x02}},
        {"tuplet: semiquaver absorbs the quaver", 4, 2, 12, 12, 3, {0x0C}},
        {"tuplet: crotchet absorbs the quaver", 4, 2, 16, 24, 5, {0x0B}},
        // Odd-simple time lets equal values join one level further.
        {"3/4 minim from beat 2", 3, 2, 16, 32, 0, {0x02}},
        {"3/4 dotted minim", 3, 2, 0, 48, 0, {0x0A}},
        {"5/4 minim over beats 4 and 5", 5, 2, 48, 32, 0, {0x02}},
        {"3/8 is not odd-simple", 3, 3, 48, 32, 0, {0x03, 0x03}},
        // 6/8 and other compound time: dotted beats.
        {"6/8 whole bar", 6, 3, 0, 48, 0, {0x0A}},
        {"6/8 dotted crotchet and dotted quaver", 6, 3, 0, 36, 0, {0x0B, 0x0C}},
        {"6/8 crotchet up to the second beat", 6, 3, 8, 16, 0, {0x03}},
        {"6/8 from a semiquaver", 6, 3, 4, 44, 0, {0x05, 0x03, 0x0B}},
        {"6/8 dotted quaver up to the beat", 6, 3, 12, 12, 0, {0x0C}},
        {"6/8 quaver on the beat boundary stays", 6, 3, 16, 16, 0, {0x04, 0x04}},
        {"6/8 quaver ending on a breve boundary", 6, 3, 120, 12, 0, {0x04, 0x05}},
        {"9/8 has no dotted-minim groups", 9, 3, 0, 48, 0, {0x0B, 0x0B}},
        {"12/8 two dotted minims", 12, 3, 0, 96, 0, {0x0A, 0x0A}},
        {"6/16 dotted quaver", 6, 4, 0, 12, 0, {0x0C}},
        // Nothing to write.
        {"length 0", 4, 2, 0, 0, 0, {}},
        {"negative length", 4, 2, 0, -5, 0, {}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(hexCodes(split(c.position, c.length, c.numerator, c.exponent, c.ratio)),
                  hexCodes(c.codes))
            << c.name;
    }
}

// Whatever the input, every code is a real value at least one 64th long and
// the codes add up to exactly the requested span.
void expectSpanCovered(int64_t position, int64_t length, int numerator, int exponent,
                       int ratio) {
    SCOPED_TRACE("position " + std::to_string(position) + " length " + std::to_string(length) +
                 " time " + std::to_string(numerator) + "/2^" + std::to_string(exponent) +
                 " ratio " + std::to_string(ratio));
    NoteValueSplitter splitter(position, length, ratio, numerator, exponent);
    const int64_t expected = length > 0 ? length : 0;
    int64_t total = 0;
    int64_t pieces = 0;
    uint8_t code = 0;
    while (pieces <= expected && splitter.next(code)) {
        ++pieces;
        ASSERT_EQ(code & 0x80, 0);
        ASSERT_GE(noteValueLength(code), 1);
        total += noteValueLength(code);
    }
    EXPECT_EQ(total, expected);
    EXPECT_LE(pieces, expected);
    EXPECT_FALSE(splitter.next(code)) << "asked again after the end";
}

TEST(NoteValueSplitter, RandomSpansAddUpToTheirLength) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> numerators(0, 16);
    std::uniform_int_distribution<int> exponents(0, 6);
    std::uniform_int_distribution<int64_t> positions(0, 1000);
    std::uniform_int_distribution<int64_t> lengths(0, 600);
    const int ratios[] = {0, 3, 5};
    for (int i = 0; i < 20000; ++i) {
        expectSpanCovered(positions(random), lengths(random), numerators(random),
                          exponents(random), ratios[i % 3]);
        if (testing::Test::HasFailure()) return;
    }
}

TEST(NoteValueSplitter, NonsenseTimeSignaturesStillTerminate) {
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    for (int numerator : {0, -3, -6, 1, 255, 3 * 65536, big, small}) {
        for (int exponent : {-100, -1, 7, 8, 31, 255, big, small}) {
            for (int64_t position : {int64_t{0}, int64_t{5}, int64_t{-77}}) {
                expectSpanCovered(position, 97, numerator, exponent, 0);
                expectSpanCovered(position, 97, numerator, exponent, 3);
            }
        }
    }
}

TEST(NoteValueSplitter, OutOfRangeExponentsActAsTheNearestValidOne) {
    for (int64_t position : {0, 3, 24, 40}) {
        EXPECT_EQ(split(position, 77, 6, 7), split(position, 77, 6, 6));
        EXPECT_EQ(split(position, 77, 6, 200), split(position, 77, 6, 6));
        EXPECT_EQ(split(position, 77, 6, -1), split(position, 77, 6, 0));
        EXPECT_EQ(split(-position, 77, 6, 3), split(0, 77, 6, 3)) << "negative position";
    }
}

TEST(NoteValueSplitter, ExtremeSpansAreCutAndStillAddUp) {
    const int64_t huge = std::numeric_limits<int64_t>::max();
    expectSpanCovered(huge, 300, 4, 2, 0);
    expectSpanCovered(huge - 10, 300, 6, 3, 0);
    NoteValueSplitter longSpan(0, huge, 0, 4, 2);
    uint8_t code = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(longSpan.next(code));
        EXPECT_EQ(code, 0x00) << "a long span is written in breves";
    }
}

}  // namespace
}  // namespace vl
