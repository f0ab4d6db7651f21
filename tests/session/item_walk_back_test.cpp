// The backward steps of the item walk on a transcribed two-strand file: one
// item back, one strand back (its list rebuilt with every note), and what
// they answer at the start, past the end and without a list.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "session/import_session.h"
#include "support/smf_builder.h"

namespace vl {
namespace {

using test::SmfBuilder;

// Conductor in 4/4, a melody (channel 0) and a bass line (channel 1): two bars each.
test::Bytes twoStrandFile() {
    SmfBuilder b;
    b.format(1).division(96).track().timeSignature(0, 4, 2).endTrack(96 * 8);
    b.track().trackName(0, "Melody");
    for (uint8_t key : {72, 74, 76, 77}) b.noteOn(0, 0, key, 100).noteOff(96, 0, key);
    b.noteOn(0, 0, 79, 100).noteOff(192, 0, 79).noteOn(0, 0, 79, 100).noteOff(192, 0, 79);
    b.endTrack();
    b.track().trackName(0, "Bass");
    b.noteOn(0, 1, 48, 100).noteOff(384, 1, 48).noteOn(0, 1, 43, 100).noteOff(384, 1, 43);
    b.endTrack();
    return b.bytes();
}

bool sameItem(const ImportItem& a, const ImportItem& b) { return std::memcmp(&a, &b, 8) == 0; }

bool sameItems(const std::vector<ImportItem>& a, const std::vector<ImportItem>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!sameItem(a[i], b[i])) return false;
    return true;
}

class ItemWalkBack : public ::testing::Test {
protected:
    ItemWalkBack()
        : file_(test::writeTempFile(twoStrandFile())),
          app_(file_.directory() + "/settings.ini"),
          session_(ImportSession::fromFile(file_.path(), app_)) {}

    void SetUp() override {
        ASSERT_EQ(session_->error(), 0u);
        ASSERT_EQ(session_->initialise(), 2);
    }

    // The current list walked forward from its first item.
    std::vector<ImportItem> forwardItems() {
        std::vector<ImportItem> items;
        ImportItem item{};
        for (bool more = session_->getFirstItem(&item); more; more = session_->getNextItem(&item))
            items.push_back(item);
        return items;
    }

    test::TempFile file_;
    ImportFilterApp app_;
    std::unique_ptr<ImportSession> session_;
};

TEST_F(ItemWalkBack, previous_item_walks_the_list_back_to_its_first_item) {
    ASSERT_TRUE(session_->getFirstStrand());
    const std::vector<ImportItem> forward = forwardItems();
    ASSERT_GE(forward.size(), 10u);

    // Forward to the last item (not past it), then all the way back.
    ImportItem item{};
    ASSERT_TRUE(session_->getFirstItem(&item));
    for (size_t i = 1; i < forward.size(); ++i) ASSERT_TRUE(session_->getNextItem(&item));
    std::vector<ImportItem> backward{item};
    while (session_->getPreviousItem(&item)) backward.insert(backward.begin(), item);
    EXPECT_TRUE(sameItems(backward, forward));

    // At the first item it fails and leaves the buffer alone, again and again.
    ImportItem untouched{};
    untouched.type = 0xBEEF;
    EXPECT_FALSE(session_->getPreviousItem(&untouched));
    EXPECT_FALSE(session_->getPreviousItem(&untouched));
    EXPECT_EQ(untouched.type, 0xBEEF);
    // ...and the walk goes on forward from there.
    ASSERT_TRUE(session_->getNextItem(&item));
    EXPECT_TRUE(sameItem(item, forward[1]));
}

TEST_F(ItemWalkBack, after_running_off_the_end_one_step_back_is_the_last_item) {
    ASSERT_TRUE(session_->getFirstStrand());
    const std::vector<ImportItem> forward = forwardItems();  // ends with next failing
    ImportItem item{};
    EXPECT_FALSE(session_->getNextItem(&item));
    ASSERT_TRUE(session_->getPreviousItem(&item));
    EXPECT_TRUE(sameItem(item, forward.back()));
    ASSERT_TRUE(session_->getPreviousItem(&item));
    EXPECT_TRUE(sameItem(item, forward[forward.size() - 2]));
}

TEST_F(ItemWalkBack, previous_item_fails_without_a_list_or_a_buffer) {
    ImportItem item{};
    EXPECT_FALSE(session_->getPreviousItem(&item));  // no list yet
    ASSERT_TRUE(session_->getFirstStrand());
    ASSERT_TRUE(session_->getFirstItem(&item));
    ASSERT_TRUE(session_->getNextItem(&item));
    EXPECT_FALSE(session_->getPreviousItem(nullptr));
    // The failed call did not move: one step back is still possible.
    EXPECT_TRUE(session_->getPreviousItem(&item));
    // After a strand walk past the last strand the list is gone.
    ASSERT_TRUE(session_->getNextStrand());
    EXPECT_FALSE(session_->getNextStrand());
    EXPECT_FALSE(session_->getPreviousItem(&item));
}

TEST_F(ItemWalkBack, previous_strand_rebuilds_the_list_with_every_note_again) {
    ASSERT_TRUE(session_->getFirstStrand());
    const std::vector<ImportItem> strand0 = forwardItems();
    ASSERT_TRUE(session_->getNextStrand());
    const std::vector<ImportItem> strand1 = forwardItems();
    ASSERT_FALSE(sameItems(strand0, strand1));

    // The notes of strand 0 were marked as emitted by the first pass; the
    // rebuilt list must hold them all the same.
    ASSERT_TRUE(session_->getPreviousStrand());
    EXPECT_TRUE(sameItems(forwardItems(), strand0));
    EXPECT_FALSE(session_->getPreviousStrand());  // already the first strand
    EXPECT_TRUE(sameItems(forwardItems(), strand0));  // and the list is kept

    // Forward again after going back gives strand 1's list; past the last
    // strand, one step back is the last strand, rebuilt.
    ASSERT_TRUE(session_->getNextStrand());
    EXPECT_TRUE(sameItems(forwardItems(), strand1));
    EXPECT_FALSE(session_->getNextStrand());
    EXPECT_FALSE(session_->getNextStrand());
    ASSERT_TRUE(session_->getPreviousStrand());
    EXPECT_TRUE(sameItems(forwardItems(), strand1));
    ASSERT_TRUE(session_->getPreviousStrand());
    EXPECT_TRUE(sameItems(forwardItems(), strand0));
}

TEST_F(ItemWalkBack, previous_strand_fails_before_any_strand_walk_and_on_the_guide_strand) {
    EXPECT_FALSE(session_->getPreviousStrand());
    ASSERT_TRUE(session_->getGuideStrand());
    EXPECT_FALSE(session_->getPreviousStrand());
    // The guide strand's list survives the failed step.
    ImportItem item{};
    EXPECT_TRUE(session_->getFirstItem(&item));
}

TEST(ItemWalkBackWithoutStrands, both_steps_fail) {
    const test::TempFile file = test::writeTempFile(
        SmfBuilder().format(1).division(96).track().timeSignature(0, 4, 2).endTrack(384).bytes());
    ImportFilterApp app(file.directory() + "/settings.ini");
    auto session = ImportSession::fromFile(file.path(), app);
    ASSERT_EQ(session->initialise(), 0);
    EXPECT_FALSE(session->getFirstStrand());
    EXPECT_FALSE(session->getNextStrand());
    EXPECT_FALSE(session->getPreviousStrand());
    ImportItem item{};
    EXPECT_FALSE(session->getPreviousItem(&item));
}

}  // namespace
}  // namespace vl
