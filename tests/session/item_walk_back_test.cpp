// The backward steps of the item walk on a transcribed two-strand file where
// the viewer's transcript does not reach: no list, no buffer, a strand back
// listing every note again, and the guide strand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "dialogs/two_strand_file.h"
#include "session/import_session.h"

namespace vl::test {
namespace {

std::string bytesOf(const ImportItem& item) {
    char out[17];
    const auto* b = reinterpret_cast<const uint8_t*>(&item);
    for (int i = 0; i < 8; ++i) std::snprintf(out + 2 * i, 3, "%02x", b[i]);
    return out;
}

std::vector<std::string> forward(ItemWalk& w) {
    std::vector<std::string> items;
    ImportItem item{};
    for (bool more = w.firstItem(&item); more; more = w.nextItem(&item))
        items.push_back(bytesOf(item));
    return items;
}

TEST(ItemWalkBack, steps_back_fail_without_a_list_or_buffer_and_a_strand_back_lists_it_again) {
    const TempFile file = writeTempFile(twoStrandFile());
    ImportFilterApp app(file.directory() + "/settings.ini");
    auto s = ImportSession::fromFile(file.path(), app);
    ASSERT_EQ(s->transcribe(), 2);
    ItemWalk& w = s->walk();
    ImportItem item{};
    EXPECT_FALSE(w.previousItem(&item) || w.openPreviousStrand());  // no walk yet
    ASSERT_TRUE(w.openFirstStrand());
    const std::vector<std::string> strand0 = forward(w);
    ASSERT_TRUE(w.firstItem(&item) && w.nextItem(&item));
    EXPECT_FALSE(w.previousItem(nullptr));
    EXPECT_TRUE(w.previousItem(&item));  // the failed call did not move
    ASSERT_TRUE(w.openNextStrand());
    EXPECT_FALSE(w.openNextStrand());  // past the last strand the list is gone
    EXPECT_FALSE(w.previousItem(&item));
    ASSERT_TRUE(w.openPreviousStrand() && w.openPreviousStrand());  // notes marked emitted
    EXPECT_EQ(forward(w), strand0);
    ASSERT_TRUE(w.openGuideStrand());
    EXPECT_FALSE(w.openPreviousStrand());  // not from the guide strand, whose list stays
    EXPECT_FALSE(forward(w).empty());
}

}  // namespace
}  // namespace vl::test
