// The dialog framework: control access by identifier, the headless runner,
// the scripted runner the tests drive dialogs with (that it plays only the
// actions that fit), the choice of runner, and message box, beep and help.
#include "platform/dialog_runner.h"

#include <gtest/gtest.h>

#include "platform/headless_dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"
#include "platform/test_dialog.h"
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

TEST(HeadlessDialogRunner, initialises_then_cancels_and_cancels_file_dialogs) {
    HeadlessDialogRunner runner;
    TestDialog dialog;
    EXPECT_EQ(runner.runModal(dialog, nullptr), kDialogCancel);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.commands, 0);
    EXPECT_TRUE(dialog.hasEnded());
    std::string path = "unchanged";
    uint32_t errorCode = 99;
    EXPECT_FALSE(runner.askOpenFile(importOpenFileRequest(), nullptr, path, errorCode));
    EXPECT_EQ(path + " " + std::to_string(errorCode), "unchanged 0");
}

TEST(ScriptedDialogRunner, plays_fitting_actions_in_order_and_records_the_dialog) {
    ScriptedDialogRunner runner;
    runner.setCheck(TestDialog::kList, true)  // not a check box
        .setCheck(4242, true)                 // no such control
        .select(TestDialog::kCheck, 0)        // not a list
        .select(TestDialog::kList, 3)         // no such entry
        .press(TestDialog::kEdit)             // not a button
        .setCheck(TestDialog::kCheck, false)
        .select(TestDialog::kList, 2)
        .press(TestDialog::kApply)
        .pressHelp()
        .press(kDialogOk)
        .press(kDialogCancel);  // left for a later dialog
    TestDialog dialog;
    int parent = 0;
    EXPECT_EQ(runner.runModal(dialog, &parent), kDialogOk);
    EXPECT_EQ(runner.rejectedActions(), 5);
    EXPECT_EQ(dialog.commands, 2);
    EXPECT_EQ(dialog.helps, 1);
    EXPECT_EQ(runner.pendingActions(), 1u);
    const ScriptedDialogRunner::ShownDialog& shown = runner.shownDialogs().at(0);
    EXPECT_EQ(shown.title, "Test dialog");
    EXPECT_EQ(shown.templateId, 77);
    EXPECT_EQ(shown.parent, &parent);
    EXPECT_EQ(shown.result, kDialogOk);
    ASSERT_EQ(shown.controlsAfterInit.size(), 8u);
    EXPECT_TRUE(shown.controlsAfterInit[1].checked);  // as onInitDialog left it
    EXPECT_FALSE(shown.controlsAtEnd[1].checked);
    EXPECT_EQ(shown.controlsAtEnd[3].selection, 2);
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

TEST(RunnerChoice, message_box_beep_and_help_are_recorded_and_reach_the_runner) {
    resetPlatformRecord();
    showMessageBox(nullptr, "Error 3003 on opening file", "Error opening MIDI file", kIconWarning);
    beep();  // headless: only the record
    ScriptedDialogRunner scripted;
    setDialogRunner(&scripted);
    int owner = 0;
    showMessageBox(&owner, "text", "caption", kIconError);
    requestHelp(7);
    setDialogRunner(nullptr);
    ASSERT_EQ(scripted.messages().size(), 1u);
    const auto& m = scripted.messages()[0];
    const std::string expected = "text|caption|" + std::to_string(kIconError);
    EXPECT_EQ(m.text + "|" + m.caption + "|" + std::to_string(m.icon), expected);
    EXPECT_EQ(m.owner, &owner);
    EXPECT_EQ(scripted.beepCount(), 0);
    EXPECT_EQ(scripted.helpContexts(), std::vector<uint32_t>{7});
    const PlatformRecord& r = platformRecord();
    EXPECT_EQ(r.lastMessageText + "|" + r.lastMessageCaption + "|" +
                  std::to_string(r.lastMessageIcon), expected);
    EXPECT_EQ(std::to_string(r.messageBoxCount) + std::to_string(r.beepCount) +
                  std::to_string(r.helpCount) + " " + std::to_string(r.lastHelpContext), "211 7");
    resetPlatformRecord();
    EXPECT_EQ(r.messageBoxCount + r.beepCount + r.helpCount, 0);
    EXPECT_EQ(r.lastMessageText, "");
}

}  // namespace
}  // namespace vl::test
