// The viewer at a terminal: the access keys of the buttons (and of check
// boxes in other dialogs) typed alone on a line, the bell for a beep, and the
// way the arrow buttons are drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>

#include "dialogs/import_list_viewer.h"
#include "dialogs/two_strand_file.h"
#include "platform/terminal_dialog_runner.h"
#include "platform/test_dialog.h"
#include "session/import_session.h"

namespace vl {
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

// The 3015 line (item type) of every drawing, in order.
std::vector<std::string> typeLines(const std::string& shown) {
    std::vector<std::string> types;
    std::istringstream lines(shown);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("  3015  ", 0) == 0) types.push_back(line.substr(8));
    return types;
}

TEST(ImportListViewerTerminal, keys_walk_items_bars_and_strands_and_a_beep_rings_the_bell) {
    const test::TempFile file = test::writeTempFile(test::twoStrandFile());
    ImportFilterApp app(file.directory() + "/settings.ini");
    auto session = ImportSession::fromFile(file.path(), app);
    ASSERT_EQ(session->initialise(), 2);

    Terminal t("f\nF\n>\n<\nd\nu\nb\ncancel\n");
    ImportListViewer viewer(*session);
    EXPECT_EQ(t.runner.runModal(viewer, nullptr), kDialogCancel);
    const std::string shown = t.out.str();
    EXPECT_EQ(typeLines(shown), (std::vector<std::string>{"clef", "barline 0", "barline 1",
                                                          "midinote", "barline 1", "clef",
                                                          "clef", "clef"}));
    // Only "b" on the first item of strand 0 beeps.
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\a'), 1);
    EXPECT_NE(shown.find("  3014  1\n"), std::string::npos);  // after "d"
    for (const char* face : {"< << >  (key <)", "< >> >  (key >)", "< <<<< Bkwd >  (key b)",
                             "< Frwd >>>> >  (key f)", "<Up>  (key u)", "<Dn>  (key d)",
                             "<Cancel>\n"})
        EXPECT_NE(shown.find(face), std::string::npos) << face;
}

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

TEST(ImportListViewerTerminal, a_key_alone_presses_its_button_or_toggles_its_check_box) {
    using test::TestDialog;
    struct Case {
        const char* input;
        bool checked;
        int commands;
        const char* answer;
    } cases[] = {
        {"c\n", false, 0, "[ ] Check me  (key c)"},
        {"C\nc\n", true, 0, "[x] Check me  (key c)"},
        {"  a \n", true, 1, "<Apply>  (key a)"},
        {"x\n", true, 0, "No control has the key x."},
        {"o\n", true, 0, "No control has the key o."},  // "OK" has no access key
        {"&\n", true, 0, "No control has the key &."},
    };
    for (const Case& c : cases) {
        Terminal t(c.input);
        TestDialog dialog;
        EXPECT_EQ(t.runner.runModal(dialog, nullptr), kDialogCancel) << c.input;
        EXPECT_EQ(dialog.isChecked(TestDialog::kCheck), c.checked) << c.input;
        EXPECT_EQ(dialog.commands, c.commands) << c.input;
        EXPECT_NE(t.out.str().find(c.answer), std::string::npos) << c.input;
    }

    Terminal ampersands("r\nQ\n");
    AmpersandDialog dialog;
    EXPECT_EQ(ampersands.runner.runModal(dialog, nullptr), kDialogOk);
    EXPECT_NE(ampersands.out.str().find("<Save & quit>  (key q)"), std::string::npos);
    EXPECT_NE(ampersands.out.str().find("No control has the key r."), std::string::npos);
}

}  // namespace
}  // namespace vl
