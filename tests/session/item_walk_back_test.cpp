// The backward steps of the item walk on a transcribed two-strand file: one
// item back, one strand back (its list rebuilt with every note), and what
// they answer at the start, past the end and without a list. (Without any
// strand both fail; the viewer's transcript shows that.)
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

class ItemWalkBack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(session_->initialise(), 2); }

    // The current list walked forward from its first item (ends past the last).
    std::vector<std::string> forward() {
        std::vector<std::string> items;
        ImportItem item{};
        for (bool more = session_->getFirstItem(&item); more; more = session_->getNextItem(&item))
            items.push_back(bytesOf(item));
        return items;
    }
    // Steps back from where the walk stands until it fails; in walk order.
    std::vector<std::string> backward(const ImportItem& from) {
        std::vector<std::string> items{bytesOf(from)};
        for (ImportItem item = from; session_->getPreviousItem(&item);)
            items.insert(items.begin(), bytesOf(item));
        return items;
    }

    TempFile file_ = writeTempFile(twoStrandFile());
    ImportFilterApp app_{file_.directory() + "/settings.ini"};
    std::unique_ptr<ImportSession> session_ = ImportSession::fromFile(file_.path(), app_);
};

TEST_F(ItemWalkBack, previous_item_walks_back_to_the_first_item_and_stops_there) {
    ASSERT_TRUE(session_->getFirstStrand());
    const std::vector<std::string> all = forward();
    ASSERT_GE(all.size(), 10u);
    ImportItem item{};
    ASSERT_TRUE(session_->getPreviousItem(&item));  // from past the end: the last item
    EXPECT_EQ(backward(item), all);
    ASSERT_TRUE(session_->getFirstItem(&item));  // from the last item, not past it
    for (size_t i = 1; i < all.size(); ++i) ASSERT_TRUE(session_->getNextItem(&item));
    EXPECT_EQ(backward(item), all);
    ImportItem untouched{};
    untouched.type = 0xBEEF;
    EXPECT_FALSE(session_->getPreviousItem(&untouched));  // again at the first: the buffer stays
    EXPECT_EQ(untouched.type, 0xBEEF);
    ASSERT_TRUE(session_->getNextItem(&item));
    EXPECT_EQ(bytesOf(item), all[1]);
}

TEST_F(ItemWalkBack, previous_item_fails_without_a_list_or_a_buffer) {
    ImportItem item{};
    EXPECT_FALSE(session_->getPreviousItem(&item));  // no list yet
    ASSERT_TRUE(session_->getFirstStrand() && session_->getFirstItem(&item) &&
                session_->getNextItem(&item));
    EXPECT_FALSE(session_->getPreviousItem(nullptr));
    EXPECT_TRUE(session_->getPreviousItem(&item));  // the failed call did not move
    ASSERT_TRUE(session_->getNextStrand());
    EXPECT_FALSE(session_->getNextStrand());  // past the last strand the list is gone
    EXPECT_FALSE(session_->getPreviousItem(&item));
}

TEST_F(ItemWalkBack, previous_strand_rebuilds_the_list_with_every_note_again) {
    EXPECT_FALSE(session_->getPreviousStrand());  // before any strand walk
    ASSERT_TRUE(session_->getFirstStrand());
    const std::vector<std::string> strand0 = forward();
    ASSERT_TRUE(session_->getNextStrand());
    const std::vector<std::string> strand1 = forward();
    ASSERT_NE(strand0, strand1);
    // The notes of strand 0 were marked as emitted by the first pass.
    ASSERT_TRUE(session_->getPreviousStrand());
    EXPECT_EQ(forward(), strand0);
    EXPECT_FALSE(session_->getPreviousStrand());  // already the first, and the list is kept
    EXPECT_EQ(forward(), strand0);
    ASSERT_TRUE(session_->getNextStrand());
    EXPECT_EQ(forward(), strand1);
    EXPECT_FALSE(session_->getNextStrand());
    EXPECT_FALSE(session_->getNextStrand());
    ASSERT_TRUE(session_->getPreviousStrand());  // past the last: the last strand, rebuilt
    EXPECT_EQ(forward(), strand1);
    ASSERT_TRUE(session_->getPreviousStrand());
    EXPECT_EQ(forward(), strand0);
    ASSERT_TRUE(session_->getGuideStrand());
    EXPECT_FALSE(session_->getPreviousStrand());  // not from the guide strand, whose list stays
    EXPECT_FALSE(forward().empty());
}

}  // namespace
}  // namespace vl::test
