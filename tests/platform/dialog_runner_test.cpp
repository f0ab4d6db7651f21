// The dialog framework: control access by identifier, the headless and
// scripted runners, the choice of runner, and message box, beep and help.
#include "platform/dialog_runner.h"

#include <gtest/gtest.h>

#include "platform/headless_dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"
#include "platform/test_dialog.h"
#include "support/smf_builder.h"

namespace {

using vl::ScriptedDialogRunner;
using vl::test::TestDialog;

TEST(DialogModel, unknown_identifiers_read_as_empty_and_ignore_writes) {
    TestDialog dialog;
    dialog.setText(999, "x");
    dialog.setChecked(999, true);
    dialog.addEntry(999, "x");
    EXPECT_EQ(dialog.findControl(999), nullptr);
    EXPECT_EQ(dialog.findControl(vl::kNoControlId), nullptr);  // labels are not addressable
    EXPECT_EQ(dialog.text(999), "");
    EXPECT_FALSE(dialog.isChecked(999));
    EXPECT_TRUE(dialog.entries(999).empty());
    EXPECT_EQ(dialog.selection(999), -1);
    EXPECT_FALSE(dialog.setSelection(999, 0));
    EXPECT_EQ(dialog.controls().size(), 8u);
}

TEST(DialogModel, selection_accepts_an_entry_or_none_only) {
    TestDialog dialog;
    struct Case {
        int index;
        bool accepted;
        int selectionAfter;
    } cases[] = {{1, true, 1}, {2, true, 2}, {3, false, 2}, {-2, false, 2},
                 {-1, true, -1}, {0, true, 0}, {INT32_MAX, false, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(dialog.setSelection(TestDialog::kList, c.index), c.accepted) << c.index;
        EXPECT_EQ(dialog.selection(TestDialog::kList), c.selectionAfter) << c.index;
    }
    dialog.setEntries(TestDialog::kList, {"a"});  // new entries clear the selection
    EXPECT_EQ(dialog.selection(TestDialog::kList), -1);
    dialog.addEntry(TestDialog::kList, "b");
    EXPECT_EQ(dialog.entries(TestDialog::kList), (std::vector<std::string>{"a", "b"}));
}

TEST(HeadlessDialogRunner, initialises_then_cancels_and_cancels_file_dialogs) {
    vl::HeadlessDialogRunner runner;
    TestDialog dialog;
    EXPECT_EQ(runner.runModal(dialog, nullptr), vl::kDialogCancel);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.commands, 0);
    EXPECT_TRUE(dialog.hasEnded());

    std::string path = "unchanged";
    uint32_t errorCode = 99;
    EXPECT_FALSE(runner.askOpenFile(vl::importOpenFileRequest(), nullptr, path, errorCode));
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(path, "unchanged");
}

TEST(ScriptedDialogRunner, plays_actions_in_order_and_records_the_dialog) {
    ScriptedDialogRunner runner;
    runner.setCheck(TestDialog::kCheck, false)
        .select(TestDialog::kList, 2)
        .press(TestDialog::kApply)
        .pressHelp()
        .press(vl::kDialogOk)
        .press(vl::kDialogCancel);  // left for a later dialog
    TestDialog dialog;
    int parent = 0;
    EXPECT_EQ(runner.runModal(dialog, &parent), vl::kDialogOk);
    EXPECT_FALSE(dialog.isChecked(TestDialog::kCheck));
    EXPECT_EQ(dialog.selection(TestDialog::kList), 2);
    EXPECT_EQ(dialog.commands, 2);
    EXPECT_EQ(dialog.helps, 1);
    EXPECT_EQ(runner.pendingActions(), 1u);
    EXPECT_EQ(runner.rejectedActions(), 0);

    ASSERT_EQ(runner.shownDialogs().size(), 1u);
    const ScriptedDialogRunner::ShownDialog& shown = runner.shownDialogs()[0];
    EXPECT_EQ(shown.title, "Test dialog");
    EXPECT_EQ(shown.templateId, 77);
    EXPECT_EQ(shown.parent, &parent);
    EXPECT_EQ(shown.result, vl::kDialogOk);
    ASSERT_EQ(shown.controlsAfterInit.size(), 8u);
    EXPECT_TRUE(shown.controlsAfterInit[1].checked);  // as onInitDialog left it
    EXPECT_FALSE(shown.controlsAtEnd[1].checked);
    EXPECT_EQ(shown.controlsAtEnd[3].selection, 2);
}

TEST(ScriptedDialogRunner, actions_that_do_not_fit_the_dialog_are_rejected) {
    ScriptedDialogRunner runner;
    runner.setCheck(TestDialog::kList, true)    // not a check box
        .setCheck(4242, true)                   // no such control
        .select(TestDialog::kCheck, 0)          // not a list
        .select(TestDialog::kList, 3)           // no such entry
        .press(TestDialog::kEdit)               // not a button
        .press(4242)
        .select(TestDialog::kList, 1);
    TestDialog dialog;
    EXPECT_EQ(runner.runModal(dialog, nullptr), vl::kDialogCancel);  // queue ran dry
    EXPECT_EQ(runner.rejectedActions(), 6);
    EXPECT_EQ(dialog.commands, 0);
    EXPECT_TRUE(dialog.isChecked(TestDialog::kCheck));
    EXPECT_EQ(dialog.selection(TestDialog::kList), 1);
}

TEST(ScriptedDialogRunner, a_file_answer_cancels_an_open_dialog_and_stays_queued) {
    ScriptedDialogRunner runner;
    runner.answerOpenFileError(0x3003);
    TestDialog dialog;
    EXPECT_EQ(runner.runModal(dialog, nullptr), vl::kDialogCancel);
    EXPECT_EQ(runner.pendingActions(), 1u);
    std::string path;
    uint32_t errorCode = 0;
    EXPECT_FALSE(runner.askOpenFile(vl::importOpenFileRequest(), nullptr, path, errorCode));
    EXPECT_EQ(errorCode, 0x3003u);
    EXPECT_EQ(runner.openFileRequests(), 1);
}

TEST(ScriptedDialogRunner, file_answers_are_checked_like_typed_paths) {
    vl::test::TempDir dir;
    vl::test::TempFile existing({'M', 'T', 'h', 'd'}, "song.mid");
    ScriptedDialogRunner runner;
    runner.answerOpenFile(dir.path() + "/missing.mid")  // refused: no such file
        .answerOpenFile(dir.path())                      // refused: a directory
        .press(vl::kDialogOk)                            // not a file-dialog action
        .answerOpenFile(existing.directory() + "/song");  // the default extension completes it
    std::string path;
    uint32_t errorCode = 5;
    EXPECT_TRUE(runner.askOpenFile(vl::importOpenFileRequest(), nullptr, path, errorCode));
    EXPECT_EQ(path, existing.path());
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(runner.rejectedActions(), 3);

    runner.answerOpenFile(dir.path() + "/missing.mid");
    path = "unchanged";
    EXPECT_FALSE(runner.askOpenFile(vl::importOpenFileRequest(), nullptr, path, errorCode));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(errorCode, 0u);  // ran out of answers: cancelled
}

TEST(ScriptedDialogRunner, configure_inside_the_file_dialog_runs_a_nested_dialog) {
    vl::test::TempFile existing({'M', 'T', 'h', 'd'});
    ScriptedDialogRunner runner;
    runner.press(vl::kOpenFileConfigureButtonId)
        .setCheck(TestDialog::kCheck, false)
        .press(vl::kDialogOk)
        .answerOpenFile(existing.path());
    vl::OpenFileRequest request = vl::importOpenFileRequest();
    int nestedResult = 0;
    void* nestedParent = nullptr;
    request.onConfigure = [&](void* panel) {
        TestDialog nested;
        nestedParent = panel;
        nestedResult = runner.runModal(nested, panel);
    };
    int owner = 0;
    std::string path;
    uint32_t errorCode = 0;
    EXPECT_TRUE(runner.askOpenFile(request, &owner, path, errorCode));
    EXPECT_EQ(path, existing.path());
    EXPECT_EQ(nestedResult, vl::kDialogOk);
    EXPECT_EQ(nestedParent, &owner);
    ASSERT_EQ(runner.shownDialogs().size(), 1u);
    EXPECT_FALSE(runner.shownDialogs()[0].controlsAtEnd[1].checked);
    EXPECT_EQ(runner.rejectedActions(), 0);
}

class RunnerChoice : public ::testing::Test {
protected:
    RunnerChoice() { vl::resetPlatformRecord(); }
    ~RunnerChoice() override {
        vl::setDialogRunner(nullptr);
        vl::setDialogMode(vl::kDialogModeHeadless);
        vl::resetPlatformRecord();
    }
};

TEST_F(RunnerChoice, mode_picks_the_default_and_an_installed_runner_wins) {
    EXPECT_NE(dynamic_cast<vl::HeadlessDialogRunner*>(&vl::currentDialogRunner()), nullptr);
    vl::setDialogMode(vl::kDialogModeTerminal);
    EXPECT_EQ(vl::dialogMode(), vl::kDialogModeTerminal);
    EXPECT_NE(dynamic_cast<vl::TerminalDialogRunner*>(&vl::currentDialogRunner()), nullptr);
    ScriptedDialogRunner scripted;
    vl::setDialogRunner(&scripted);
    EXPECT_EQ(&vl::currentDialogRunner(), &scripted);
    vl::setDialogRunner(nullptr);
    EXPECT_NE(dynamic_cast<vl::TerminalDialogRunner*>(&vl::currentDialogRunner()), nullptr);
    vl::setDialogMode(7);  // unknown modes are headless
    EXPECT_EQ(vl::dialogMode(), vl::kDialogModeHeadless);
    EXPECT_NE(dynamic_cast<vl::HeadlessDialogRunner*>(&vl::currentDialogRunner()), nullptr);
}

TEST_F(RunnerChoice, message_box_beep_and_help_are_recorded_and_reach_the_runner) {
    // headless: only the record
    vl::showMessageBox(nullptr, "Error 3003 on opening file", "Error opening MIDI file",
                       vl::kIconWarning);
    vl::beep();
    vl::requestHelp(131204);
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 1);
    EXPECT_EQ(vl::platformRecord().lastMessageText, "Error 3003 on opening file");
    EXPECT_EQ(vl::platformRecord().lastMessageCaption, "Error opening MIDI file");
    EXPECT_EQ(vl::platformRecord().lastMessageIcon, vl::kIconWarning);
    EXPECT_EQ(vl::platformRecord().beepCount, 1);
    EXPECT_EQ(vl::platformRecord().helpCount, 1);
    EXPECT_EQ(vl::platformRecord().lastHelpContext, 131204u);

    ScriptedDialogRunner scripted;
    vl::setDialogRunner(&scripted);
    int owner = 0;
    vl::showMessageBox(&owner, "text", "caption", vl::kIconError);
    vl::beep();
    vl::beep();
    vl::requestHelp(7);
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0].owner, &owner);
    EXPECT_EQ(scripted.messages()[0].text, "text");
    EXPECT_EQ(scripted.messages()[0].caption, "caption");
    EXPECT_EQ(scripted.messages()[0].icon, vl::kIconError);
    EXPECT_EQ(scripted.beepCount(), 2);
    EXPECT_EQ(scripted.helpContexts(), std::vector<uint32_t>{7});
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 2);
    EXPECT_EQ(vl::platformRecord().beepCount, 3);
    EXPECT_EQ(vl::platformRecord().lastHelpContext, 7u);

    vl::resetPlatformRecord();
    EXPECT_EQ(vl::platformRecord().messageBoxCount, 0);
    EXPECT_EQ(vl::platformRecord().lastMessageText, "");
}

}  // namespace
