// Item descriptions: the text of every item type (case table), the cutting
// and NUL padding of the host's buffer, and the exported entry point's
// answers to null arguments and unaligned items.

#include "notation/item_description.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <sstream>
#include <string>

#include "support/case_file.h"
#include "vlmidiin.h"

namespace vl::test {
namespace {

constexpr char kUntouched = '#';
constexpr ImportItem kBarline{4, 1, 0, 0, 0, 0, 0};

TEST(ItemDescription, texts_by_type) {
    for (const Case& c : readCases("notation/item_descriptions")) {
        unsigned type = 0, a1 = 0, a2 = 0, a3 = 0;
        std::istringstream(c["item"]) >> std::hex >> type >> a1 >> a2 >> a3;
        const ImportItem item{uint16_t(type), 1, uint8_t(a1), uint8_t(a2), uint8_t(a3), 0, 0};
        EXPECT_EQ('"' + itemDescription(item) + '"', c["text"]) << where("item_descriptions", c);
    }
}

TEST(ItemDescription, the_buffer_is_cut_and_padded_with_nuls) {
    for (const uint32_t size : {16u, 8u, 5u, 1u, 0u}) {
        std::array<char, 24> buffer;
        buffer.fill(kUntouched);
        EXPECT_TRUE(describeItem(kBarline, buffer.data(), size));
        // the text cut to size - 1 bytes, then NULs up to the size
        std::string expected = std::string("Barline\0\0\0\0\0\0\0\0\0", 16).substr(0, size);
        if (size > 0) expected.back() = '\0';
        EXPECT_EQ(std::string(buffer.data(), size), expected) << size;
        EXPECT_EQ(std::string(buffer.data() + size, 24 - size), std::string(24 - size, kUntouched));
    }
    EXPECT_FALSE(describeItem(kBarline, nullptr, 8));
    EXPECT_TRUE(describeItem(kBarline, nullptr, 0));
}

TEST(ItemDescription, the_export_answers_null_arguments_without_writing) {
    char buffer[8];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(VliGetDescription(nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(VliGetDescription(&kBarline, nullptr, 8), 0);
    EXPECT_EQ(VliGetDescription(&kBarline, buffer, 0), 1);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, kUntouched));
}

TEST(ItemDescription, the_export_reads_an_item_at_any_alignment) {
    const ImportItem note{1, 1, 60, 0x03, 0, 0, 0};
    alignas(8) unsigned char raw[16] = {};
    std::memcpy(raw + 1, &note, sizeof note);
    char buffer[32];
    const auto* unaligned = reinterpret_cast<const ImportItem*>(raw + 1);
    EXPECT_EQ(VliGetDescription(unaligned, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, " Crotchet 3c");
}

}  // namespace
}  // namespace vl::test
