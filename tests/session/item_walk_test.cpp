// The host's walk through the C interface on a transcribed file: start items
// with their texts, every strand in turn, the guide strand, and what the walk
// answers past the end of a list or of the strands. Then the backward steps
// where the viewer's transcript does not reach: no list, no buffer, a strand
// back listing every note again, and the guide strand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "dialogs/two_strand_file.h"
#include "notation/item_text.h"
#include "session/import_session.h"
#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace vl::test {
namespace {

// Conductor track (name, notice, tempo, 3/4) and a melody of six crotchets.
TempFile twoBarsOfThreeFour() {
    SmfBuilder b;
    b.format(1).division(96).track();
    b.trackName(0, "Minuet").text(0, 0x02, "public domain").tempo(0, 500000);
    b.timeSignature(0, 3, 2).endTrack(576);
    b.track().trackName(0, "Flute");
    for (uint8_t key = 72; key < 78; ++key) b.noteOn(0, 0, key, 100).noteOff(96, 0, key);
    b.endTrack();
    return writeTempFile(b.bytes());
}

std::string walkList(::ImportSession* s) {
    std::string out;
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(s, &item) != 0; more;
         more = vlImportGetNextItem(s, &item) != 0)
        out += (out.empty() ? "" : ", ") + itemText(item, vlImportItemText(s, &item));
    return out;
}

class HostWalk : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = vlImportOpenFromName(file_.path().c_str());
        ASSERT_NE(session_, nullptr);
        ASSERT_GE(vlImportInitialise(session_), 0);
    }
    void TearDown() override { vlImportClose(&session_); }

    TempFile file_ = twoBarsOfThreeFour();
    ::ImportSession* session_ = nullptr;
};

TEST_F(HostWalk, start_items_carry_the_texts_and_the_walk_stays_false_past_the_end) {
    ASSERT_NE(vlImportGetStartItems(session_), 0);
    EXPECT_EQ(walkList(session_), "6 00 00 00, 5 03 02 00, 7 03 78 00, 10 00 00 00, "
                                  "4103 \"Minuet\", 4097 \"public domain\"");
    ImportItem item{};
    EXPECT_EQ(vlImportItemText(session_, &item), nullptr) << "no text for a non-text item";
    EXPECT_EQ(vlImportGetFirstItem(session_, nullptr), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vlImportGetNextItem(session_, &item), 0) << i;
    // The list is still there: walking again starts from its first item.
    ASSERT_NE(vlImportGetFirstItem(session_, &item), 0);
    EXPECT_EQ(item.type, 6);
}

TEST_F(HostWalk, every_strand_is_visited_once_and_a_second_pass_gives_the_same_lists) {
    const auto pass = [this] {
        std::string lists;
        for (bool more = vlImportGetFirstStrand(session_) != 0; more;
             more = vlImportGetNextStrand(session_) != 0)
            lists += walkList(session_) + "\n";
        return lists;
    };
    const std::string first = pass();
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), vlImportStrandCount(session_));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vlImportGetNextStrand(session_), 0) << i;
    ImportItem item{};
    EXPECT_EQ(vlImportGetFirstItem(session_, &item), 0) << "no list after the last strand";
    // The first strand call clears the written marks, so the notes come again.
    EXPECT_EQ(pass(), first);
    // The guide strand has items but is no current strand.
    ASSERT_NE(vlImportGetGuideStrand(session_), 0);
    EXPECT_FALSE(walkList(session_).empty());
    EXPECT_EQ(vlImportGetStartVoicing(session_, &item), 0);
}

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
