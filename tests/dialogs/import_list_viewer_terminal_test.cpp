// The viewer at a terminal: the access keys of the buttons (and of check boxes
// in other dialogs) typed alone on a line, the bell for a beep, and the way
// the buttons are drawn; the screens are golden files.
#include <gtest/gtest.h>

#include <sstream>

#include "dialogs/import_list_viewer.h"
#include "dialogs/two_strand_file.h"
#include "platform/terminal_dialog_runner.h"
#include "platform/test_dialog.h"
#include "session/import_session.h"
#include "support/golden.h"

namespace vl::test {
namespace {

struct Terminal {
    explicit Terminal(const std::string& input) : in(input), runner(in, out) {
        setDialogRunner(&runner);  // beeps ring this terminal's bell
    }
    ~Terminal() { setDialogRunner(nullptr); }
    std::istringstream in;
    std::ostringstream out;
    TerminalDialogRunner runner;
};

// A dialog with a doubled ampersand before its access key.
class AmpersandDialog : public DialogModel {
public:
    AmpersandDialog() : DialogModel("Ampersands", 78) {
        addControl(ControlKind::Button, 5, "Save && &quit");
        addControl(ControlKind::Button, 6, "Rock && roll");
    }
    std::optional<int> onCommand(int id) override {
        return id == 5 ? std::optional<int>(kDialogOk) : DialogModel::onCommand(id);
    }
};

TEST(ImportListViewerTerminal, keys_walk_items_bars_and_strands_and_a_beep_rings_the_bell) {
    const TempFile file = writeTempFile(twoStrandFile());
    ImportFilterApp app(file.directory() + "/settings.ini");
    auto session = ImportSession::fromFile(file.path(), app);
    ASSERT_EQ(session->transcribe(), 2);
    Terminal t("f\nF\n>\n<\nd\nu\nb\ncancel\n");
    ImportListViewer viewer(session->walk());
    EXPECT_EQ(t.runner.runModal(viewer, nullptr), kDialogCancel);
    expectGolden("dialogs/import_list_viewer_terminal.txt", t.out.str());
}

TEST(ImportListViewerTerminal, a_key_alone_presses_its_button_or_toggles_its_check_box) {
    // c toggles, a presses Apply, o (OK has no access key), x and & are refused
    Terminal t("c\nC\n  a \nx\no\n&\n");
    TestDialog dialog;
    EXPECT_EQ(t.runner.runModal(dialog, nullptr), kDialogCancel);
    EXPECT_TRUE(dialog.isChecked(TestDialog::kCheck));
    EXPECT_EQ(dialog.commands, 1);
    Terminal ampersands("r\nQ\n");
    AmpersandDialog second;
    EXPECT_EQ(ampersands.runner.runModal(second, nullptr), kDialogOk);
    expectGolden("dialogs/access_keys.txt", t.out.str() + ampersands.out.str());
}

}  // namespace
}  // namespace vl::test
