// Note values: code lengths, metric levels in 64ths, the fitting of a played
// length to a written one and the splitting of a span into printable values
// (one case table), and the guarantees for any input: the pieces add up to the
// span, the splitter stops, nothing exceeds its limit or overflows.

#include "notation/note_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"

namespace vl::test {
namespace {

std::string splitCodes(int64_t position, int64_t length, int numerator, int exponent, int ratio) {
    NoteValueSplitter splitter(position, length, ratio, numerator, exponent);
    std::string out;
    char buf[4];
    for (uint8_t code = 0; splitter.next(code);) {
        std::snprintf(buf, sizeof buf, "%02x", code);
        out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out;
}

TEST(NoteValue, lengths_levels_written_lengths_and_spans_as_codes) {
    for (const Case& c : readCases("notation/note_values")) {
        SCOPED_TRACE(where("note_values", c));
        if (c.has("code")) {
            EXPECT_EQ(noteValueLength(uint8_t(c.number("code"))), c.number("length"));
        } else if (c.has("position")) {
            EXPECT_EQ(metricLevelOf64th(c.number("position")), c.number("level"));
        } else if (c.has("fit")) {
            int64_t p = 0, L = 0, M = 0;
            unsigned flags = 0, division = 0;
            std::istringstream(c["fit"]) >> p >> L >> M >> std::hex >> flags >> std::dec >>
                division;
            EXPECT_EQ(fitLength(p, L, M, uint16_t(flags), division), c.number("length"));
        } else {
            int nn = 0, dd = 0, ratio = 0;
            int64_t position = 0, length = 0;
            std::istringstream(c["split"]) >> nn >> dd >> position >> length >> ratio;
            EXPECT_EQ(splitCodes(position, length, nn, dd, ratio), c["codes"]);
        }
    }
}

TEST(NoteValue, fitted_lengths_never_exceed_the_limit_nor_overflow) {
    const int64_t huge = std::numeric_limits<int64_t>::max();
    for (uint32_t division : {1u, 3u, 96u, 120u, 480u, 65535u, 0xFFFFFFFFu}) {
        for (uint16_t flags : {0, 0x20, 0x40}) {
            for (int64_t M : {0, 1, 95, 1000}) {
                for (int64_t L : {1, 7, 96, 999}) {
                    const int64_t fitted = fitLength(17, L, M, flags, division);
                    EXPECT_TRUE(fitted >= 0 && fitted <= M) << division << " " << L << " " << M;
                }
            }
            EXPECT_GE(fitLength(huge, huge, huge, flags, division), 0);
        }
    }
}

// Every code is a real value at least one 64th long, the codes add up to the
// span, and the splitter stays done once done.
void expectSpanCovered(int64_t position, int64_t length, int numerator, int exponent, int ratio) {
    SCOPED_TRACE(std::to_string(position) + " " + std::to_string(length) + " " +
                 std::to_string(numerator) + "/" + std::to_string(exponent) + " " +
                 std::to_string(ratio));
    NoteValueSplitter splitter(position, length, ratio, numerator, exponent);
    const int64_t expected = std::max<int64_t>(length, 0);
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
    EXPECT_FALSE(splitter.next(code));
}

TEST(NoteValue, random_spans_add_up_to_their_length) {
    std::mt19937 random(20240611);
    for (int i = 0; i < 20000 && !testing::Test::HasFailure(); ++i)
        expectSpanCovered(random() % 1001, random() % 601, int(random() % 17), int(random() % 7),
                          (i % 3) * 2 + (i % 3 != 0));
}

TEST(NoteValue, nonsense_time_signatures_and_extreme_spans_still_terminate) {
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    for (int numerator : {0, -3, -6, 1, 255, 3 * 65536, big, small})
        for (int exponent : {-100, -1, 7, 8, 31, 255, big, small})
            for (int64_t position : {0, 5, -77})
                for (int ratio : {0, 3})
                    expectSpanCovered(position, 97, numerator, exponent, ratio);
    // out-of-range exponents act as the nearest valid one
    for (int64_t position : {0, 3, 24, 40}) {
        EXPECT_EQ(splitCodes(position, 77, 6, 7, 0), splitCodes(position, 77, 6, 6, 0));
        EXPECT_EQ(splitCodes(position, 77, 6, 200, 0), splitCodes(position, 77, 6, 6, 0));
        EXPECT_EQ(splitCodes(position, 77, 6, -1, 0), splitCodes(position, 77, 6, 0, 0));
        EXPECT_EQ(splitCodes(-position, 77, 6, 3, 0), splitCodes(0, 77, 6, 3, 0));
    }
    const int64_t huge = std::numeric_limits<int64_t>::max();
    expectSpanCovered(huge, 300, 4, 2, 0);
    expectSpanCovered(huge - 10, 300, 6, 3, 0);
    NoteValueSplitter longSpan(0, huge, 0, 4, 2);
    uint8_t code = 1;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(longSpan.next(code) && code == 0x00) << "a long span is written in breves";
}

}  // namespace
}  // namespace vl::test
