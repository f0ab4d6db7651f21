#include "midi/riff_reader.h"

#include <gtest/gtest.h>

#include "support/smf_builder.h"

namespace vl {
namespace {

using test::Bytes;
using test::riffChunk;
using test::riffForm;

std::optional<uint64_t> dataOffsetOf(const Bytes& bytes) {
    const test::TempFile temp = test::writeTempFile(bytes, "file.rmi");
    ReadOnlyFile file(temp.path());
    EXPECT_TRUE(file.isOpen());
    return findRmidDataOffset(file);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(RiffReaderTest, DataOffsetOfTheDataChunkInsideTheRmidForm) {
    const Bytes payload = {1, 2, 3, 4};
    EXPECT_EQ(dataOffsetOf(riffForm("RMID", {riffChunk("data", payload)})), 20u);
    // Odd sizes are padded: 12 + (8 + 5 + 1) + (8 + 0) + 8.
    EXPECT_EQ(dataOffsetOf(riffForm("RMID", {riffChunk("LIST", {1, 2, 3, 4, 5}),
                                             riffChunk("JUNK", {}), riffChunk("data", payload)})),
              12u + 14 + 8 + 8);
}

TEST(RiffReaderTest, TopLevelChunksBeforeTheFormAreSkipped) {
    const Bytes bytes = concat({riffChunk("JUNK", {9, 9, 9}),
                                riffForm("WAVE", {riffChunk("data", {1})}),
                                riffForm("RMID", {riffChunk("data", {1, 2})})});
    // JUNK 8 + 3 + 1, WAVE form 12 + 8 + 1 + 1, RMID form header 12, data header 8.
    EXPECT_EQ(dataOffsetOf(bytes), 12u + 22 + 12 + 8);
}

TEST(RiffReaderTest, NotFoundCases) {
    const Bytes data = riffChunk("data", {1, 2});
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"not riff", concat({riffChunk("MThd", {0, 0, 0, 6})})},
        {"other form", riffForm("WAVE", {data})},
        {"no data chunk", riffForm("RMID", {riffChunk("LIST", {1, 2})})},
        {"form type cut", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M'}},
        {"data header cut", riffChunk("RIFF", {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 2, 0})},
        // The data chunk lies after the form's stated end.
        {"data outside form", concat({riffChunk("RIFF", {'R', 'M', 'I', 'D'}), data})},
        // A chunk before "data" claims 4 GiB: the walk leaves the file.
        {"huge chunk", riffForm("RMID", {riffChunk("LIST", {1}, 0xFFFFFFFF), data})},
    };
    for (const auto& c : cases) EXPECT_EQ(dataOffsetOf(c.bytes), std::nullopt) << c.name;
}

TEST(RiffReaderTest, FormSizeIsOnlyBelievedAsFarAsTheFileReaches) {
    const Bytes body = concat({{'R', 'M', 'I', 'D'}, riffChunk("data", {1, 2})});
    EXPECT_EQ(dataOffsetOf(riffChunk("RIFF", body, 0xFFFFFFFF)), 20u);
}

}  // namespace
}  // namespace vl
