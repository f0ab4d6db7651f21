#include "midi/variable_length.h"

#include <gtest/gtest.h>

#include <vector>

namespace vl {
namespace {

struct ByteSource {
    std::vector<uint8_t> bytes;
    size_t next = 0;
    int operator()() { return next < bytes.size() ? bytes[next++] : -1; }
};

struct VlqCase {
    std::vector<uint8_t> bytes;
    int64_t value;
    size_t consumed;
};

TEST(VariableLengthTest, ReadsUntilByteBelow0x80AndKeepsLastFourBytes) {
    const VlqCase cases[] = {
        {{0x00}, 0, 1},
        {{0x7F}, 127, 1},
        {{0x81, 0x00}, 128, 2},
        {{0xFF, 0x7F}, 16383, 2},
        {{0x81, 0x80, 0x00}, 16384, 3},
        {{0xFF, 0xFF, 0xFF, 0x7F}, 268435455, 4},
        // Five bytes: the first one falls out of the 32-bit word.
        {{0x8F, 0x80, 0x80, 0x80, 0x05}, 5, 5},
        {{0xFF, 0x81, 0x80, 0x80, 0x00}, 1 << 21, 5},
        // Bytes after the terminating one are not consumed.
        {{0x40, 0x90}, 0x40, 1},
    };
    for (const VlqCase& c : cases) {
        ByteSource source{c.bytes};
        EXPECT_EQ(readVariableLength(source), c.value) << "first byte " << int(c.bytes[0]);
        EXPECT_EQ(source.next, c.consumed) << "first byte " << int(c.bytes[0]);
    }
}

TEST(VariableLengthTest, FailedReadOfAnyByteGivesMinusOne) {
    const std::vector<std::vector<uint8_t>> cut = {
        {}, {0x81}, {0xFF, 0xFF, 0xFF}, {0x80, 0x80, 0x80, 0x80, 0x80}};
    for (const auto& bytes : cut) {
        ByteSource source{bytes};
        EXPECT_EQ(readVariableLength(source), -1) << bytes.size() << " bytes";
        EXPECT_EQ(source.next, bytes.size());
    }
}

TEST(VariableLengthTest, WriteThenReadRoundTripsWithShortestEncoding) {
    const struct {
        uint32_t value;
        size_t length;
    } cases[] = {{0, 1},          {1, 1},          {127, 1},        {128, 2},
                 {8191, 2},       {16383, 2},      {16384, 3},      {2097151, 3},
                 {2097152, 4},    {0x0FFFFFFF, 4}, {123456789, 4}};
    for (const auto& c : cases) {
        std::vector<uint8_t> out{0xAA};  // writing appends
        writeVariableLength(c.value, out);
        ASSERT_EQ(out.size(), 1 + c.length) << c.value;
        for (size_t i = 1; i + 1 < out.size(); ++i) EXPECT_GE(out[i], 0x80) << c.value;
        EXPECT_LT(out.back(), 0x80) << c.value;
        ByteSource source{std::vector<uint8_t>(out.begin() + 1, out.end())};
        EXPECT_EQ(readVariableLength(source), c.value);
    }
}

TEST(VariableLengthTest, BigEndianWords) {
    const uint8_t b[] = {0x12, 0x34, 0xFE, 0xDC};
    EXPECT_EQ(bigEndian16(b), 0x1234);
    EXPECT_EQ(bigEndian16(b + 2), 0xFEDC);
    EXPECT_EQ(bigEndian32(b), 0x1234FEDCu);
}

}  // namespace
}  // namespace vl
