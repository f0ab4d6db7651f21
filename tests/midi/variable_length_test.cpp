// Variable-length quantities and big-endian words of the file format.

#include "midi/variable_length.h"

#include <gtest/gtest.h>

#include <vector>

namespace vl::test {
namespace {

// Reading is pinned by the reader's tables (five-byte and cut quantities).
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
