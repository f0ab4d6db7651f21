// The host's walk through the C interface on a transcribed file: start items
// with their texts, the guide strand, every strand in turn, and what the walk
// answers past the end of a list or of the strands.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace {

using vl::test::SmfBuilder;
using vl::test::TempFile;

// Conductor track (name, notice, tempo, 3/4) and a melody of six crotchets.
TempFile twoBarsOfThreeFour() {
    SmfBuilder b;
    b.format(1).division(96).track();
    b.trackName(0, "Minuet").text(0, 0x02, "public domain").tempo(0, 500000);
    b.timeSignature(0, 3, 2).endTrack(576);
    b.track().trackName(0, "Flute");
    for (uint8_t key = 72; key < 78; ++key) b.noteOn(0, 0, key, 100).noteOff(96, 0, key);
    b.endTrack();
    return vl::test::writeTempFile(b.bytes());
}

struct Walked {
    std::vector<ImportItem> items;
    std::vector<std::string> texts;  // "" for items without text
};

Walked walkList(ImportSession* s) {
    Walked w;
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(s, &item) != 0; more;
         more = vlImportGetNextItem(s, &item) != 0) {
        w.items.push_back(item);
        const char* text = vlImportItemText(s, &item);
        w.texts.emplace_back(text != nullptr ? text : "");
    }
    return w;
}

bool sameItems(const std::vector<ImportItem>& a, const std::vector<ImportItem>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(ImportItem)) == 0);
}

class ItemWalk : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = vlImportOpenFromName(file_.path().c_str());
        ASSERT_NE(session_, nullptr);
        ASSERT_GE(vlImportInitialise(session_), 0);
    }
    void TearDown() override { vlImportClose(&session_); }

    TempFile file_ = twoBarsOfThreeFour();
    ImportSession* session_ = nullptr;
};

// Item values are checked in the import dumps; here: only text items have text.
TEST_F(ItemWalk, start_items_have_text_only_for_the_text_items) {
    ASSERT_NE(vlImportGetStartItems(session_), 0);
    const Walked w = walkList(session_);
    ASSERT_EQ(w.items.size(), 6u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(w.texts[i], "") << "no text for item " << i;
    EXPECT_EQ(w.texts[4], "Minuet");
    EXPECT_EQ(w.texts[5], "public domain");
}

TEST_F(ItemWalk, the_item_walk_stays_false_past_the_end_and_refuses_a_null_buffer) {
    ASSERT_NE(vlImportGetStartItems(session_), 0);
    ImportItem item{};
    EXPECT_EQ(vlImportGetFirstItem(session_, nullptr), 0);
    ASSERT_NE(vlImportGetFirstItem(session_, &item), 0);
    while (vlImportGetNextItem(session_, &item) != 0) {
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vlImportGetNextItem(session_, &item), 0) << i;
    // The list is still there: walking again starts from its first item.
    ASSERT_NE(vlImportGetFirstItem(session_, &item), 0);
    EXPECT_EQ(item.type, 6);
}

TEST_F(ItemWalk, the_guide_strand_is_no_current_strand) {
    ASSERT_NE(vlImportGetGuideStrand(session_), 0);
    EXPECT_FALSE(walkList(session_).items.empty());
    ImportItem voicing{};
    EXPECT_EQ(vlImportGetStartVoicing(session_, &voicing), 0);
}

TEST_F(ItemWalk, every_strand_is_visited_once_and_a_second_pass_gives_the_same_lists) {
    const auto pass = [this] {
        std::vector<std::vector<ImportItem>> lists;
        for (bool more = vlImportGetFirstStrand(session_) != 0; more;
             more = vlImportGetNextStrand(session_) != 0) {
            lists.push_back(walkList(session_).items);
        }
        return lists;
    };
    const std::vector<std::vector<ImportItem>> first = pass();
    EXPECT_EQ(static_cast<int32_t>(first.size()), vlImportStrandCount(session_));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vlImportGetNextStrand(session_), 0) << i;
    ImportItem item{};
    EXPECT_EQ(vlImportGetFirstItem(session_, &item), 0) << "no list after the last strand";

    // The first strand call clears the written marks, so the notes come again.
    const std::vector<std::vector<ImportItem>> second = pass();
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(sameItems(first[i], second[i])) << i;
}

}  // namespace
