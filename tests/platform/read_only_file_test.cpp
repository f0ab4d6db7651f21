// The read-only file: reads that say how much arrived, seeks beyond the end,
// access across buffer blocks, reopening, and refusal of what is not a regular file.
#include "platform/read_only_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/smf_builder.h"

namespace vl::test {
namespace {

TEST(ReadOnlyFile, reads_report_how_many_bytes_arrived_and_seeks_may_pass_the_end) {
    const TempFile temp = writeTempFile({1, 2, 3, 4, 5});
    ReadOnlyFile f;
    ASSERT_TRUE(f.open(temp.path()));
    EXPECT_EQ(f.size(), 5u);
    uint8_t buf[8] = {};
    EXPECT_EQ(f.read(buf, 3), 3u);
    EXPECT_EQ(f.tell() * 10 + f.remaining(), 32u);
    EXPECT_EQ(f.read(buf, 8), 2u);  // short at the end
    EXPECT_EQ(buf[1], 5);
    EXPECT_EQ(f.read(buf, 1), 0u);
    EXPECT_EQ(f.readByte(), -1);
    ASSERT_TRUE(f.seek(1));
    EXPECT_EQ(f.readByte(), 2);
    ASSERT_TRUE(f.seek(4));
    EXPECT_EQ(f.readByte(), 5);
    EXPECT_EQ(f.readByte(), -1);
    ASSERT_TRUE(f.seek(1000));
    EXPECT_EQ(f.tell(), 1000u);
    EXPECT_EQ(f.remaining(), 0u);
    EXPECT_EQ(f.read(buf, 1), 0u);
    EXPECT_EQ(f.readByte(), -1);
}

TEST(ReadOnlyFile, mixed_access_across_buffer_blocks_matches_the_file) {
    Bytes content(200000);
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 + i / 251);
    const TempFile temp = writeTempFile(content);
    ReadOnlyFile f(temp.path());
    ASSERT_EQ(f.size(), content.size());
    ASSERT_TRUE(f.seek(65530));  // byte by byte over the first block boundary
    for (size_t i = 65530; i < 65545; ++i) ASSERT_EQ(f.readByte(), content[i]) << i;
    const std::pair<uint64_t, size_t> reads[] = {{65500, 100}, {10, 70000}, {131000, 1200},
                                                 {0, 1},       {199990, 100}, {3, 150000}};
    for (const auto& [at, n] : reads) {
        ASSERT_TRUE(f.seek(at));
        std::vector<uint8_t> got(n);
        const size_t expected = std::min<size_t>(n, content.size() - at);
        ASSERT_EQ(f.read(got.data(), n), expected) << at;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(expected),
                               content.begin() + static_cast<long>(at))) << at;
        EXPECT_EQ(f.tell(), at + expected);
        EXPECT_EQ(f.readByte(), at + expected < content.size() ? content[at + expected] : -1);
    }
}

TEST(ReadOnlyFile, refuses_what_is_not_a_regular_file_and_a_failed_open_leaves_none_open) {
    const TempFile a = writeTempFile({1, 2});
    const std::string fifo = a.directory() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ReadOnlyFile f(a.path());
    EXPECT_EQ(f.readByte(), 1);
    ASSERT_TRUE(f.open(a.path()));  // reopening starts at zero
    EXPECT_EQ(f.readByte(), 1);
    for (const std::string& path : {a.directory(), a.directory() + "/missing", fifo}) {
        ASSERT_TRUE(f.open(a.path()));
        EXPECT_FALSE(f.open(path)) << path;  // and a pipe does not wait for a writer
        EXPECT_FALSE(f.isOpen());
        EXPECT_EQ(f.readByte(), -1);
        uint8_t b;
        EXPECT_EQ(f.read(&b, 1), 0u);
        EXPECT_FALSE(f.seek(0));
    }
}

}  // namespace
}  // namespace vl::test
