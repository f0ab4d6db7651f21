// The dialog framework: control access by identifier, the choice of runner, and message box, beep and help.
#include "platform/dialog_runner.h"

#include <gtest/gtest.h>

#include "platform/headless_dialog_runner.h"
#include "support/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"
#include "platform/test_dialog.h"
#include "support/scripted_dialog_runner.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

TEST(DialogModel, unknown_identifiers_read_as_empty_and_selections_need_an_entry) {
    TestDialog dialog;
    dialog.setText(999, "x");
    dialog.setChecked(999, true);
    dialog.addEntry(999, "x");
    EXPECT_EQ(dialog.findControl(999), nullptr);
    EXPECT_EQ(dialog.findControl(kNoControlId), nullptr);  // labels are not addressable
    EXPECT_EQ(dialog.text(999) + (dialog.isChecked(999) ? "checked" : ""), "");
    EXPECT_TRUE(dialog.entries(999).empty());
    EXPECT_EQ(dialog.selection(999), -1);
    EXPECT_FALSE(dialog.setSelection(999, 0));
    // index, accepted, selection after
    const int cases[][3] = {{1, 1, 1}, {2, 1, 2},  {3, 0, 2}, {-2, 0, 2},
                            {-1, 1, -1}, {0, 1, 0}, {INT32_MAX, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(dialog.setSelection(TestDialog::kList, c[0]), c[1] != 0) << c[0];
        EXPECT_EQ(dialog.selection(TestDialog::kList), c[2]) << c[0];
    }
    dialog.setEntries(TestDialog::kList, {"a"});  // new entries clear the selection
    EXPECT_EQ(dialog.selection(TestDialog::kList), -1);
    dialog.addEntry(TestDialog::kList, "b");
    EXPECT_EQ(dialog.entries(TestDialog::kList), (std::vector<std::string>{"a", "b"}));
    dialog.setEntries(TestDialog::kList, {});
    EXPECT_FALSE(dialog.setSelection(TestDialog::kList, 0));  // an empty list has no entry 0
}

TEST(RunnerChoice, mode_picks_the_default_and_an_installed_runner_wins) {
    EXPECT_NE(dynamic_cast<HeadlessDialogRunner*>(&currentDialogRunner()), nullptr);
    setDialogMode(kDialogModeTerminal);
    EXPECT_EQ(dialogMode(), kDialogModeTerminal);
    EXPECT_NE(dynamic_cast<TerminalDialogRunner*>(&currentDialogRunner()), nullptr);
    ScriptedDialogRunner scripted;
    setDialogRunner(&scripted);
    EXPECT_EQ(&currentDialogRunner(), &scripted);
    setDialogRunner(nullptr);
    EXPECT_NE(dynamic_cast<TerminalDialogRunner*>(&currentDialogRunner()), nullptr);
    setDialogMode(7);  // unknown modes are headless
    EXPECT_EQ(dialogMode(), kDialogModeHeadless);
    EXPECT_NE(dynamic_cast<HeadlessDialogRunner*>(&currentDialogRunner()), nullptr);
}

TEST(RunnerChoice, message_box_beep_and_help_reach_the_installed_runner) {
    ScriptedDialogRunner scripted;
    setDialogRunner(&scripted);
    int owner = 0;
    showMessageBox(&owner, "text", "caption", kIconError);
    beep();
    requestHelp(7);
    setDialogRunner(nullptr);
    beep();  // headless again: nothing reaches the scripted runner
    const auto& m = scripted.messages().at(0);
    EXPECT_EQ(m.text + "|" + m.caption + "|" + std::to_string(m.icon), "text|caption|16");
    EXPECT_EQ(m.owner, &owner);
    EXPECT_EQ(scripted.beepCount(), 1);
    EXPECT_EQ(scripted.helpContexts(), std::vector<uint32_t>{7});
}

TEST(RunnerChoice, the_headless_runner_answers_a_file_dialog_with_a_plain_cancel) {
    HeadlessDialogRunner headless;
    std::string path = "kept";
    uint32_t errorCode = 7;
    EXPECT_FALSE(headless.askOpenFile(OpenFileRequest{}, nullptr, path, errorCode));
    EXPECT_EQ(path + " " + std::to_string(errorCode), "kept 0");
}

}  // namespace
}  // namespace vl::test
