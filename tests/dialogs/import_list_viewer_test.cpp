// The "Import lists" viewer: how one item reads in its six fields, and the
// handlers walking a transcribed two-strand file item by item, bar by bar and
// strand by strand, with their beeps.
#include "dialogs/import_list_viewer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "interface/export_guard.h"
#include "platform/scripted_dialog_runner.h"
#include "session/import_session.h"
#include "dialogs/two_strand_file.h"
#include "support/smf_builder.h"

namespace vl {
namespace {

using test::SmfBuilder;
using Viewer = ImportListViewer;

ImportItem makeItem(uint16_t type, uint8_t action, uint8_t arg1, uint8_t arg2, uint8_t arg3) {
    ImportItem item{};
    item.type = type;
    item.action = action;
    item.arg1 = arg1;
    item.arg2 = arg2;
    item.arg3 = arg3;
    return item;
}

// --- one item in words ---------------------------------------------------------------------------

TEST(ImportListViewerFields, notes_and_rests_show_key_value_dots_and_marks) {
    struct Case {
        ImportItem item;
        const char* param1;
        const char* param2;
        const char* param3;
    } cases[] = {
        {makeItem(3, 1, 0, 0x0B, 0), "0", "Crotchet.", ""},
        {makeItem(3, 1, 0, 0x13, 0), "0", "Crotchet", ""},  // 0x10 without 0x08: no dot
        {makeItem(3, 1, 0, 0x20, 0), "0", "Whole bar", ""},
        {makeItem(3, 1, 0, 0x21, 0), "0", "Whole bar", ""},  // the flag wins over the value
        {makeItem(3, 1, 0, 0x00, 0x10), "0", "Breve", "3plt"},
        {makeItem(1, 1, 60, 0x07, 0), "60", "Hemidemisemiquaver", ""},
        {makeItem(1, 1, 72, 0x04, 0x50), "72", "Quaver", "_3plt"},
        {makeItem(1, 1, 72, 0x05, 0x30), "72", "Semiquaver", "3plt"},  // triplet wins
        {makeItem(1, 1, 72, 0x06, 0x0F), "72", "Demisemiquaver", ""},
    };
    for (const Case& c : cases) {
        const ItemFields f = viewerFieldsOf(c.item, 0, nullptr);
        const std::string label = std::to_string(c.item.type) + "/" + std::to_string(c.item.arg2) +
                                  "/" + std::to_string(c.item.arg3);
        EXPECT_EQ(f.param1, c.param1) << label;
        EXPECT_EQ(f.param2, c.param2) << label;
        EXPECT_EQ(f.param3, c.param3) << label;
        EXPECT_EQ(f.action, "Append") << label;
        EXPECT_EQ(f.text, "") << label;
    }
}

TEST(ImportListViewerFields, other_items_show_their_type_name_and_three_numbers) {
    struct Case {
        ImportItem item;
        int32_t barCount;
        const char* type;
        const char* action;
    } cases[] = {
        {makeItem(0, 0, 1, 2, 3), 5, "Unknown", "Ignore"},
        {makeItem(2, 2, 60, 3, 64), 5, "note", "Cluster"},  // type 2 is not decoded
        {makeItem(4, 1, 0, 0, 0), 17, "barline 17", "Append"},
        {makeItem(5, 3, 3, 2, 0), 0, "timesig", "??????"},
        {makeItem(7, 1, 3, 120, 0), 0, "tempo", "Append"},
        {makeItem(12, 1, 0, 0, 0), 0, "tuplet-start", "Append"},
        {makeItem(14, 1, 7, 8, 9), 0, "Type 14", "Append"},
        {makeItem(4095, 1, 0, 0, 0), 0, "Type 4095", "Append"},
    };
    for (const Case& c : cases) {
        const ItemFields f = viewerFieldsOf(c.item, c.barCount, "ignored");
        EXPECT_EQ(f.type, c.type) << c.item.type;
        EXPECT_EQ(f.action, c.action) << c.item.type;
        EXPECT_EQ(f.param1, std::to_string(c.item.arg1)) << c.item.type;
        EXPECT_EQ(f.param2, std::to_string(c.item.arg2)) << c.item.type;
        EXPECT_EQ(f.param3, std::to_string(c.item.arg3)) << c.item.type;
        EXPECT_EQ(f.text, "") << c.item.type;
    }
}

TEST(ImportListViewerFields, text_items_show_their_text_and_single_spaces) {
    struct Case {
        uint16_t type;
        const char* text;
        const char* typeName;
        const char* shown;
    } cases[] = {
        {4096, "hello", "text", "hello"},
        {4097, nullptr, "Type 4097", "<none>"},
        {4103, "", "Type 4103", ""},
        {65535, "x", "Type 65535", "x"},
    };
    for (const Case& c : cases) {
        const ItemFields f = viewerFieldsOf(makeItem(c.type, 7, 1, 2, 3), 0, c.text);
        EXPECT_EQ(f.type, c.typeName) << c.type;
        EXPECT_EQ(f.text, c.shown) << c.type;
        for (const std::string& field : {f.action, f.param1, f.param2, f.param3})
            EXPECT_EQ(field, " ") << c.type;
    }
}

// --- the dialog on a transcribed file ------------------------------------------------------------

// The texts of the seven display controls, strand number first.
std::vector<std::string> shownTexts(const Viewer& v) {
    std::vector<std::string> texts;
    for (int id : {Viewer::kStrandText, Viewer::kTypeText, Viewer::kActionText,
                   Viewer::kParam1Text, Viewer::kParam2Text, Viewer::kParam3Text,
                   Viewer::kItemText})
        texts.push_back(v.text(id));
    return texts;
}

class ImportListViewerDialog : public ::testing::Test {
protected:
    explicit ImportListViewerDialog(const test::Bytes& bytes = test::twoStrandFile())
        : file_(test::writeTempFile(bytes)),
          app_(file_.directory() + "/settings.ini"),
          session_(ImportSession::fromFile(file_.path(), app_)),
          viewer_(*session_) {}

    void SetUp() override {
        ASSERT_EQ(session_->error(), 0u);
        session_->initialise();
        setDialogRunner(&runner_);  // beeps go to the scripted runner, not a terminal
        resetPlatformRecord();
    }
    void TearDown() override { setDialogRunner(nullptr); }

    // Presses a button; true when it beeped.
    bool press(int id) {
        const int before = platformRecord().beepCount;
        EXPECT_FALSE(viewer_.pressButton(id)) << "button " << id << " ended the dialog";
        return platformRecord().beepCount != before;
    }
    // The items of the list of strand `strand`, walked on the session.
    std::vector<ImportItem> strandItems(int strand) {
        std::vector<ImportItem> items;
        bool ok = session_->getFirstStrand();
        for (int i = 0; i < strand; ++i) ok = session_->getNextStrand();
        ImportItem item{};
        for (bool more = ok && session_->getFirstItem(&item); more;
             more = session_->getNextItem(&item))
            items.push_back(item);
        return items;
    }
    static size_t indexOfFirstBarLine(const std::vector<ImportItem>& items) {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].type == itemtype::Barline) return i;
        return items.size();
    }

    test::TempFile file_;
    ImportFilterApp app_;
    std::unique_ptr<ImportSession> session_;
    ScriptedDialogRunner runner_;
    Viewer viewer_;
};

TEST_F(ImportListViewerDialog, opens_on_the_first_item_of_the_first_strand) {
    viewer_.startModal();
    // The melody is high: a treble clef first.
    EXPECT_EQ(shownTexts(viewer_),
              (std::vector<std::string>{"0", "clef", "Append", "1", "0", "0", ""}));
    EXPECT_EQ(viewer_.strandIndex(), 0);
    EXPECT_EQ(viewer_.barCount(), -1);
    EXPECT_EQ(platformRecord().beepCount, 0);
}

TEST_F(ImportListViewerDialog, stepping_over_the_first_bar_line_and_back_numbers_it_0) {
    const std::vector<ImportItem> items = strandItems(0);
    const size_t bar0 = indexOfFirstBarLine(items);
    ASSERT_LT(bar0 + 2, items.size());
    ASSERT_NE(items[bar0 + 1].type, itemtype::Barline);
    viewer_.startModal();
    for (size_t i = 1; i < bar0; ++i) ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_NE(viewer_.text(Viewer::kTypeText).substr(0, 7), "barline");
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 0");
    EXPECT_EQ(viewer_.text(Viewer::kStrandText), "0");

    // Back over it and forward again; then past it and back onto it.
    ASSERT_FALSE(press(Viewer::kPreviousItemButton));
    EXPECT_EQ(viewer_.barCount(), -1);
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 0");
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "midinote");
    EXPECT_EQ(viewer_.text(Viewer::kParam1Text), "72");
    EXPECT_EQ(viewer_.text(Viewer::kParam2Text), "Crotchet");
    ASSERT_FALSE(press(Viewer::kPreviousItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 0");

    // The next bar line is number 1.
    ASSERT_FALSE(press(Viewer::kForwardToBarButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 1");
}

TEST_F(ImportListViewerDialog, a_text_item_fills_the_text_field_and_the_next_item_empties_it) {
    viewer_.startModal();
    for (int guard = 0; viewer_.text(Viewer::kTypeText) != "trackname"; ++guard) {
        ASSERT_LT(guard, 20) << "no track name before the notes";
        ASSERT_FALSE(press(Viewer::kNextItemButton));
    }
    EXPECT_EQ(shownTexts(viewer_),
              (std::vector<std::string>{"0", "trackname", " ", " ", " ", " ", "Melody"}));
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kItemText), "");
    EXPECT_NE(viewer_.text(Viewer::kActionText), " ");
}

TEST_F(ImportListViewerDialog, next_item_on_the_last_item_beeps_and_changes_nothing) {
    const std::vector<ImportItem> items = strandItems(0);
    ASSERT_EQ(items.back().type, itemtype::Barline);  // lists end on a bar line
    viewer_.startModal();
    for (size_t i = 1; i < items.size(); ++i) ASSERT_FALSE(press(Viewer::kNextItemButton));
    const std::vector<std::string> atEnd = shownTexts(viewer_);
    EXPECT_EQ(atEnd[1], "barline 2");
    for (int id : {Viewer::kNextItemButton, Viewer::kNextItemButton, Viewer::kForwardToBarButton}) {
        EXPECT_TRUE(press(id)) << id;
        EXPECT_EQ(shownTexts(viewer_), atEnd) << id;
        EXPECT_EQ(viewer_.barCount(), 2) << id;
    }
    // Back from past the end is the last bar line again, with its number;
    // the next step back leaves it, and forward again shows it the same.
    ASSERT_FALSE(press(Viewer::kPreviousItemButton));
    EXPECT_EQ(shownTexts(viewer_), atEnd);
    EXPECT_EQ(viewer_.barCount(), 2);
    ASSERT_FALSE(press(Viewer::kPreviousItemButton));
    EXPECT_EQ(viewer_.barCount(), 1);
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "midinote");
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(shownTexts(viewer_), atEnd);
}

TEST_F(ImportListViewerDialog, bar_steps_stop_on_bar_lines_and_beep_at_either_end) {
    viewer_.startModal();
    const std::vector<std::string> first = shownTexts(viewer_);
    for (const char* expected : {"barline 0", "barline 1", "barline 2"}) {
        ASSERT_FALSE(press(Viewer::kForwardToBarButton)) << expected;
        EXPECT_EQ(viewer_.text(Viewer::kTypeText), expected);
    }
    EXPECT_TRUE(press(Viewer::kForwardToBarButton));  // the last bar line ends the list
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 2");
    ASSERT_FALSE(press(Viewer::kBackToBarButton));  // from past the end onto it again
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 2");
    EXPECT_EQ(viewer_.barCount(), 2);

    ASSERT_FALSE(press(Viewer::kBackToBarButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 1");
    EXPECT_EQ(viewer_.barCount(), 1);
    ASSERT_FALSE(press(Viewer::kBackToBarButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 0");
    // No bar line before the first: back to the first item, with a beep.
    EXPECT_TRUE(press(Viewer::kBackToBarButton));
    EXPECT_EQ(viewer_.barCount(), -1);
    std::vector<std::string> shown = shownTexts(viewer_);
    shown[0] = first[0];  // the strand number is not rewritten by item moves
    EXPECT_EQ(shown, first);
    EXPECT_TRUE(press(Viewer::kBackToBarButton));
    EXPECT_TRUE(press(Viewer::kPreviousItemButton));
    EXPECT_EQ(viewer_.barCount(), -1);
}

TEST_F(ImportListViewerDialog, up_and_down_move_between_strands_and_restart_the_bar_count) {
    viewer_.startModal();
    ASSERT_FALSE(press(Viewer::kForwardToBarButton));
    ASSERT_FALSE(press(Viewer::kForwardToBarButton));
    EXPECT_EQ(viewer_.barCount(), 1);

    ASSERT_FALSE(press(Viewer::kNextStrandButton));
    EXPECT_EQ(viewer_.strandIndex(), 1);
    EXPECT_EQ(viewer_.barCount(), -1);
    // The bass line is low: a bass clef.
    EXPECT_EQ(shownTexts(viewer_),
              (std::vector<std::string>{"1", "clef", "Append", "2", "0", "0", ""}));
    ASSERT_FALSE(press(Viewer::kForwardToBarButton));
    EXPECT_EQ(viewer_.text(Viewer::kTypeText), "barline 0");
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kParam1Text), "48");
    EXPECT_EQ(viewer_.text(Viewer::kParam2Text), "Semibreve");

    // Past the last strand: a beep, and the display stays.
    const std::vector<std::string> onStrand1 = shownTexts(viewer_);
    EXPECT_TRUE(press(Viewer::kNextStrandButton));
    EXPECT_EQ(viewer_.strandIndex(), 1);
    EXPECT_EQ(shownTexts(viewer_), onStrand1);

    // Up from there is strand 1 again, from its first item; then strand 0.
    ASSERT_FALSE(press(Viewer::kPreviousStrandButton));
    EXPECT_EQ(viewer_.strandIndex(), 1);
    EXPECT_EQ(viewer_.barCount(), -1);
    EXPECT_EQ(shownTexts(viewer_),
              (std::vector<std::string>{"1", "clef", "Append", "2", "0", "0", ""}));
    ASSERT_FALSE(press(Viewer::kPreviousStrandButton));
    EXPECT_EQ(viewer_.strandIndex(), 0);
    EXPECT_EQ(viewer_.barCount(), -1);
    EXPECT_EQ(shownTexts(viewer_),
              (std::vector<std::string>{"0", "clef", "Append", "1", "0", "0", ""}));
    EXPECT_TRUE(press(Viewer::kPreviousStrandButton));
    EXPECT_EQ(viewer_.strandIndex(), 0);
    // The rebuilt strand 0 holds its notes again.
    ASSERT_FALSE(press(Viewer::kForwardToBarButton));
    ASSERT_FALSE(press(Viewer::kNextItemButton));
    EXPECT_EQ(viewer_.text(Viewer::kParam1Text), "72");
}

TEST_F(ImportListViewerDialog, the_export_shows_the_viewer_and_leaves_the_walk_where_it_stood) {
    runner_.press(Viewer::kNextStrandButton)
        .press(Viewer::kForwardToBarButton)
        .press(kDialogCancel);
    int parent = 0;
    VlMidiImportListShow(nullptr, &parent);  // a null handle shows nothing
    EXPECT_TRUE(runner_.shownDialogs().empty());
    VlMidiImportListShow(handleOf(session_.get()), &parent);
    ASSERT_EQ(runner_.shownDialogs().size(), 1u);
    const auto& shown = runner_.shownDialogs()[0];
    EXPECT_EQ(shown.templateId, 3001);
    EXPECT_EQ(shown.parent, &parent);
    EXPECT_EQ(shown.result, kDialogCancel);
    EXPECT_EQ(runner_.pendingActions(), 0u);
    EXPECT_EQ(shown.controlsAtEnd[2].text, "1");          // 3014
    EXPECT_EQ(shown.controlsAtEnd[5].text, "barline 0");  // 3015
    // The session stands on strand 1's first bar line: next is the bass's first note.
    ImportItem item{};
    ASSERT_TRUE(session_->getNextItem(&item));
    EXPECT_EQ(item.type, itemtype::MidiNote);
    EXPECT_EQ(item.arg1, 48);
}

class ImportListViewerWithoutStrands : public ImportListViewerDialog {
protected:
    ImportListViewerWithoutStrands()
        : ImportListViewerDialog(SmfBuilder()
                                     .format(1)
                                     .division(96)
                                     .track()
                                     .timeSignature(0, 4, 2)
                                     .endTrack(384)
                                     .bytes()) {}
};

TEST_F(ImportListViewerWithoutStrands, opens_in_the_error_state_and_every_move_beeps) {
    ASSERT_EQ(session_->strandCount(), 0);
    viewer_.startModal();
    const std::vector<std::string> error{"Error", "Error", "", "", "", "", ""};
    // The bar steps show the current item even without a move: the empty one.
    const std::vector<std::string> emptyItem{"Error", "Unknown", "Ignore", "0", "0", "0", ""};
    EXPECT_EQ(shownTexts(viewer_), error);
    const std::pair<int, const std::vector<std::string>&> cases[] = {
        {Viewer::kNextItemButton, error},     {Viewer::kPreviousItemButton, error},
        {Viewer::kNextStrandButton, error},   {Viewer::kPreviousStrandButton, error},
        {Viewer::kForwardToBarButton, emptyItem}, {Viewer::kBackToBarButton, emptyItem}};
    for (const auto& [id, shown] : cases) {
        EXPECT_TRUE(press(id)) << id;
        EXPECT_EQ(shownTexts(viewer_), shown) << id;
        EXPECT_EQ(viewer_.strandIndex(), 0) << id;
        EXPECT_EQ(viewer_.barCount(), -1) << id;
    }
    EXPECT_TRUE(viewer_.pressButton(kDialogCancel));
}

}  // namespace
}  // namespace vl
