// Item descriptions: the text for every item type, the note-value names and
// dot words, the cutting and NUL padding of the host's buffer, and the
// exported entry point's answers to null arguments.

#include "notation/item_description.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vlmidiin.h"

namespace vl {
namespace {

ImportItem item(uint16_t type, uint8_t arg1 = 0, uint8_t arg2 = 0, uint8_t arg3 = 0) {
    return ImportItem{type, 1, arg1, arg2, arg3, 0, 0};
}

struct DescriptionCase {
    ImportItem item;
    const char* text;
};

TEST(ItemDescription, TextsByType) {
    const std::vector<DescriptionCase> cases = {
        {item(0), "Unknown item"},
        {item(1, 60, 0x03), " Crotchet 3c"},  // no dot word: leading space
        {item(1, 127, 0x0C), "Dotted Quaver 7f"},
        {item(1, 0, 0x17, 0x40), " Hemidemisemiquaver 0"},  // 0x10 alone: no dot word
        {item(1, 0xFE, 0x1D), "Double dotted Semiquaver fe"},
        {item(2, 0x40, 0x05), " Semiquaver 40"},
        {item(3, 0, 0x1A), "Double dotted Minim rest"},
        {item(3, 0, 0x21), " Semibreve rest"},  // whole-bar rest
        {item(3, 0, 0x08, 0x10), "Dotted Breve rest"},
        {item(3, 0, 0x0E), "Dotted Demisemiquaver rest"},
        {item(3, 0, 0x04), " Quaver rest"},
        {item(4), "Barline"},
        {item(5, 6, 3), "Time signature: 6/8"},
        {item(5, 3, 33), "Time signature: 3/2"},            // exponent masked to 0..31
        {item(5, 0xFF, 0xFF), "Time signature: -1/-2147483648"},  // both read as signed bytes
        {item(5, 0, 0x80), "Time signature: 0/1"},           // -128 & 31 = 0
        {item(6, 0xFD, 0), "Key signature: -3"},
        {item(6, 7, 1), "Key signature: 7"},
        {item(7, 3, 120, 0), " Crotchet = 120"},
        {item(7, 3, 0x2C, 0x01), " Crotchet = 300"},
        {item(7, 0x0B, 0xFF, 0xFF), "Dotted Crotchet = 65535"},
        {item(8, 1), "Totally unknown item"},      // clef
        {item(4096), "Totally unknown item"},
        {item(0xFFFF), "Totally unknown item"},
    };
    for (const DescriptionCase& c : cases) {
        EXPECT_EQ(itemDescription(c.item), c.text)
            << "type " << c.item.type << " args " << int{c.item.arg1} << " " << int{c.item.arg2};
    }
}

// ---- The host's buffer ------------------------------------------------------

constexpr char kUntouched = '#';

struct BufferCase {
    uint32_t size;
    std::string expected;  // the first `size` bytes, NULs included
};

TEST(ItemDescription, BufferIsCutAndPadded) {
    const std::vector<BufferCase> cases = {
        {16, std::string("Barline\0\0\0\0\0\0\0\0\0", 16)},
        {8, std::string("Barline\0", 8)},
        {5, std::string("Barl\0", 5)},
        {1, std::string("\0", 1)},
        {0, ""},
    };
    for (const BufferCase& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        std::array<char, 24> buffer;
        buffer.fill(kUntouched);
        EXPECT_TRUE(describeItem(item(4), buffer.data(), c.size));
        EXPECT_EQ(std::string(buffer.data(), c.size), c.expected);
        for (size_t i = c.size; i < buffer.size(); ++i) {
            ASSERT_EQ(buffer[i], kUntouched) << "byte " << i << " beyond the buffer";
        }
    }
    EXPECT_FALSE(describeItem(item(4), nullptr, 8));
    EXPECT_TRUE(describeItem(item(4), nullptr, 0));
}

// ---- The export ---------------------------------------------------------------

TEST(ItemDescriptionExport, NullArgumentsAnswerFalseWithoutWriting) {
    const ImportItem barline = item(4);
    char buffer[8];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(VliGetDescription(nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, kUntouched));
    EXPECT_EQ(VliGetDescription(&barline, nullptr, 8), 0);
    EXPECT_EQ(VliGetDescription(&barline, buffer, 0), 1);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, kUntouched));
}

TEST(ItemDescriptionExport, ReadsAnItemAtAnyAlignment) {
    const ImportItem note = item(1, 60, 0x03);
    alignas(8) unsigned char raw[16] = {};
    std::memcpy(raw + 1, &note, sizeof note);
    char buffer[32];
    EXPECT_EQ(VliGetDescription(reinterpret_cast<const ImportItem*>(raw + 1), buffer,
                                sizeof buffer),
              1);
    EXPECT_STREQ(buffer, " Crotchet 3c");
}

}  // namespace
}  // namespace vl
