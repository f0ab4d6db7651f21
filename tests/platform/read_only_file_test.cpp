#include "platform/read_only_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "support/smf_builder.h"

namespace vl {
namespace {

using test::Bytes;

// Bytes whose value tells their position, over several buffer blocks.
Bytes patterned(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return b;
}

TEST(ReadOnlyFileTest, ReadsReportHowManyBytesArrived) {
    const test::TempFile temp = test::writeTempFile({1, 2, 3, 4, 5});
    ReadOnlyFile f;
    ASSERT_TRUE(f.open(temp.path()));
    EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(f.size(), 5u);
    uint8_t buf[8] = {};
    EXPECT_EQ(f.read(buf, 3), 3u);
    EXPECT_EQ(buf[2], 3);
    EXPECT_EQ(f.tell(), 3u);
    EXPECT_EQ(f.remaining(), 2u);
    EXPECT_EQ(f.read(buf, 8), 2u);  // short at the end
    EXPECT_EQ(buf[1], 5);
    EXPECT_EQ(f.read(buf, 1), 0u);
    EXPECT_EQ(f.readByte(), -1);
    EXPECT_EQ(f.tell(), 5u);
}

TEST(ReadOnlyFileTest, SeekAndReadByte) {
    const test::TempFile temp = test::writeTempFile({10, 11, 12, 13});
    ReadOnlyFile f(temp.path());
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.readByte(), 10);
    ASSERT_TRUE(f.seek(3));
    EXPECT_EQ(f.readByte(), 13);
    EXPECT_EQ(f.readByte(), -1);
    ASSERT_TRUE(f.seek(1));
    EXPECT_EQ(f.readByte(), 11);
    // Beyond the end: allowed, nothing to read.
    ASSERT_TRUE(f.seek(1000));
    EXPECT_EQ(f.tell(), 1000u);
    EXPECT_EQ(f.remaining(), 0u);
    uint8_t b = 0;
    EXPECT_EQ(f.read(&b, 1), 0u);
    EXPECT_EQ(f.readByte(), -1);
}

TEST(ReadOnlyFileTest, MixedAccessAcrossBufferBlocksMatchesTheFile) {
    const Bytes content = patterned(200000);
    const test::TempFile temp = test::writeTempFile(content);
    ReadOnlyFile f(temp.path());
    ASSERT_TRUE(f.isOpen());
    ASSERT_EQ(f.size(), content.size());

    // Byte by byte over the first block boundary.
    ASSERT_TRUE(f.seek(65530));
    for (size_t i = 65530; i < 65545; ++i) ASSERT_EQ(f.readByte(), content[i]) << i;

    // Reads that start in one block and end in another, backwards seeks, and a
    // read larger than the buffer.
    const struct {
        uint64_t at;
        size_t n;
    } reads[] = {{65500, 100}, {10, 70000}, {131000, 1200}, {0, 1}, {199990, 100}, {3, 150000}};
    for (const auto& r : reads) {
        ASSERT_TRUE(f.seek(r.at));
        std::vector<uint8_t> got(r.n);
        const size_t expected = std::min<size_t>(r.n, content.size() - r.at);
        ASSERT_EQ(f.read(got.data(), r.n), expected) << r.at;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(expected),
                               content.begin() + static_cast<long>(r.at)))
            << r.at;
        EXPECT_EQ(f.tell(), r.at + expected);
        if (r.at + expected < content.size()) {
            EXPECT_EQ(f.readByte(), content[r.at + expected]) << r.at;
        }
    }
}

TEST(ReadOnlyFileTest, RefusesWhatIsNotARegularFile) {
    const test::TempDir dir;
    ReadOnlyFile f;
    EXPECT_FALSE(f.open(dir.path()));
    EXPECT_FALSE(f.open(dir.path() + "/missing"));
    const std::string fifo = dir.path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(f.open(fifo));  // and does not wait for a writer
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.readByte(), -1);
    uint8_t b;
    EXPECT_EQ(f.read(&b, 1), 0u);
    EXPECT_FALSE(f.seek(0));
}

TEST(ReadOnlyFileTest, CloseAndReopen) {
    const test::TempFile a = test::writeTempFile({1, 2});
    const test::TempFile b = test::writeTempFile({7, 8, 9});
    ReadOnlyFile f(a.path());
    EXPECT_EQ(f.readByte(), 1);
    ASSERT_TRUE(f.open(b.path()));  // replaces the open file, position 0
    EXPECT_EQ(f.size(), 3u);
    EXPECT_EQ(f.tell(), 0u);
    EXPECT_EQ(f.readByte(), 7);
    f.close();
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.readByte(), -1);
    // A failed open leaves nothing open.
    ASSERT_TRUE(f.open(a.path()));
    EXPECT_FALSE(f.open(a.directory()));
    EXPECT_FALSE(f.isOpen());
}

TEST(ReadOnlyFileTest, MoveTransfersTheOpenFile) {
    const test::TempFile temp = test::writeTempFile({4, 5, 6});
    ReadOnlyFile a(temp.path());
    EXPECT_EQ(a.readByte(), 4);
    ReadOnlyFile b(std::move(a));
    EXPECT_FALSE(a.isOpen());
    EXPECT_EQ(b.readByte(), 5);
    ReadOnlyFile c;
    c = std::move(b);
    EXPECT_EQ(c.tell(), 2u);
    EXPECT_EQ(c.readByte(), 6);
}

}  // namespace
}  // namespace vl
