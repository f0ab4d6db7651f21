// The "Import lists" viewer: how one item reads in its six fields (a case
// file), and the buttons walking a transcribed two-strand file item by item,
// bar by bar and strand by strand, with their beeps (a golden transcript).
#include "dialogs/import_list_viewer.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "dialogs/two_strand_file.h"
#include "interface/export_guard.h"
#include "session/import_session.h"
#include "support/case_file.h"
#include "support/golden.h"
#include "support/scripted_dialog_runner.h"

namespace vl::test {
namespace {

using Viewer = ImportListViewer;

TEST(ImportListViewerFields, each_item_shows_its_six_fields_as_the_case_file_says) {
    for (const Case& c : readCases("import_list_viewer_fields")) {
        std::istringstream in(c["item"]);
        unsigned type = 0, action = 0, arg1 = 0, arg2 = 0, arg3 = 0;
        in >> type >> action >> arg1 >> std::setbase(0) >> arg2 >> arg3;
        ImportItem item{};
        item.type = static_cast<uint16_t>(type);
        item.action = static_cast<uint8_t>(action);
        item.arg1 = static_cast<uint8_t>(arg1);
        item.arg2 = static_cast<uint8_t>(arg2);
        item.arg3 = static_cast<uint8_t>(arg3);
        const bool noText = !c.has("text") || c["text"] == "none";
        const ItemFields f = viewerFieldsOf(item, static_cast<int32_t>(c.number("bars")),
                                            noText ? nullptr : c["text"].c_str());
        EXPECT_EQ(f.type + "|" + f.action + "|" + f.param1 + "|" + f.param2 + "|" + f.param3 +
                      "|" + f.text, c["fields"])
            << where("import_list_viewer_fields", c);
    }
}

class ImportListViewerDialog : public ::testing::Test {
protected:
    void SetUp() override {
        setDialogRunner(&runner_);  // beeps go to the scripted runner, not a terminal
    }
    void TearDown() override { setDialogRunner(nullptr); }

    // Opens the viewer on the file's transcription and presses the buttons of
    // keys (> < next and previous item, f b bar forward and back, d u strand
    // down and up); notes after each press whether it beeped, the strand, the
    // bar count and the seven texts.
    std::string transcript(const Bytes& file, const std::string& keys) {
        const TempFile temp = writeTempFile(file);
        ImportFilterApp app(temp.directory() + "/settings.ini");
        auto session = ImportSession::fromFile(temp.path(), app);
        session->transcribe();
        Viewer viewer(session->walk());
        viewer.startModal();
        std::string log = "open";
        const std::map<char, int> buttons = {
            {'>', Viewer::kNextItemButton},     {'<', Viewer::kPreviousItemButton},
            {'f', Viewer::kForwardToBarButton}, {'b', Viewer::kBackToBarButton},
            {'d', Viewer::kNextStrandButton},   {'u', Viewer::kPreviousStrandButton}};
        for (size_t i = 0;; ++i) {
            log += " strand " + std::to_string(viewer.strandIndex()) + " bars " +
                   std::to_string(viewer.barCount()) + ":";
            for (int id : {Viewer::kStrandText, Viewer::kTypeText, Viewer::kActionText,
                           Viewer::kParam1Text, Viewer::kParam2Text, Viewer::kParam3Text,
                           Viewer::kItemText})
                log += " [" + viewer.text(id) + "]";
            if (i == keys.size()) break;
            const int beeps = runner_.beepCount();
            EXPECT_FALSE(viewer.pressButton(buttons.at(keys[i])));
            const bool beeped = runner_.beepCount() != beeps;
            log += std::string("\n") + keys[i] + (beeped ? " beep" : "");
        }
        EXPECT_TRUE(viewer.pressButton(kDialogCancel));
        return log + "\n";
    }

    ScriptedDialogRunner runner_;
};

TEST_F(ImportListViewerDialog, the_buttons_walk_the_lists_as_the_transcript_says) {
    const std::string keys =
        ">>><>><f" + std::string(8, '>') + "<>><f<<>>fbbbbbb<fffffbbffdffduuuf>";
    std::string log = transcript(twoStrandFile(), keys);
    log += transcript(SmfBuilder().format(1).division(96).track().timeSignature(0, 4, 2)
                          .endTrack(384).bytes(), "><dufb");
    expectGolden("dialogs/import_list_viewer.txt", log);
}

TEST_F(ImportListViewerDialog, the_export_shows_the_viewer_and_leaves_the_walk_where_it_stood) {
    const TempFile temp = writeTempFile(twoStrandFile());
    ImportFilterApp app(temp.directory() + "/settings.ini");
    auto session = ImportSession::fromFile(temp.path(), app);
    session->transcribe();
    runner_.press(Viewer::kNextStrandButton).press(Viewer::kForwardToBarButton);
    runner_.press(kDialogCancel);
    int parent = 0;
    VlMidiImportListShow(handleOf(session.get()), &parent);
    const auto& shown = runner_.shownDialogs().at(0);
    EXPECT_EQ(shown.templateId, 3001);
    EXPECT_EQ(shown.parent, &parent);
    EXPECT_EQ(shown.result, kDialogCancel);
    EXPECT_EQ(shown.controlsAtEnd[2].text + " " + shown.controlsAtEnd[5].text, "1 barline 0");
    ImportItem item{};  // on strand 1's first bar line: next is the bass's first note
    ASSERT_TRUE(session->walk().nextItem(&item));
    EXPECT_EQ(item.type, itemtype::MidiNote);
    EXPECT_EQ(item.arg1, 48);
}

}  // namespace
}  // namespace vl::test
