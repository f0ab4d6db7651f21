// Variable-length quantities and big-endian words of the file format.

#include "midi/variable_length.h"

#include <gtest/gtest.h>

#include <vector>

namespace vl::test {
namespace {

struct ByteSource {
    std::vector<uint8_t> bytes;
    size_t next = 0;
    int operator()() { return next < bytes.size() ? bytes[next++] : -1; }
};

TEST(VariableLength, reading_stops_after_a_byte_below_0x80_and_keeps_the_last_four) {
    const struct {
        std::vector<uint8_t> bytes;
        int64_t value;  // -1: the bytes ran out
        size_t consumed;
    } cases[] = {
        {{0x7F}, 127, 1},  {{0x81, 0x00}, 128, 2}, {{0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF, 4},
        {{0x8F, 0x80, 0x80, 0x80, 0x05}, 5, 5},     {{0xFF, 0x81, 0x80, 0x80, 0x00}, 1 << 21, 5},
        {{0x40, 0x90}, 0x40, 1},                    {{}, -1, 0},
        {{0xFF, 0xFF, 0xFF}, -1, 3},                {{0x80, 0x80, 0x80, 0x80, 0x80}, -1, 5},
    };
    for (const auto& c : cases) {
        ByteSource source{c.bytes};
        EXPECT_EQ(readVariableLength(source), c.value) << c.bytes.size() << " bytes";
        EXPECT_EQ(source.next, c.consumed) << c.bytes.size() << " bytes";
    }
}

TEST(VariableLength, writing_appends_the_shortest_encoding) {
    const struct {
        uint32_t value;
        std::vector<uint8_t> bytes;
    } cases[] = {{0, {0x00}},
                 {127, {0x7F}},
                 {128, {0x81, 0x00}},
                 {16383, {0xFF, 0x7F}},
                 {16384, {0x81, 0x80, 0x00}},
                 {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& c : cases) {
        std::vector<uint8_t> out{0xAA};
        writeVariableLength(c.value, out);
        EXPECT_EQ(std::vector<uint8_t>(out.begin() + 1, out.end()), c.bytes) << c.value;
    }
    const uint8_t b[] = {0x12, 0x34, 0xFE, 0xDC};
    EXPECT_EQ(bigEndian16(b + 2), 0xFEDC);
    EXPECT_EQ(bigEndian32(b), 0x1234FEDCu);
}

}  // namespace
}  // namespace vl::test
