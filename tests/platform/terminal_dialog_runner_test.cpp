// The terminal runner driven through string streams: commands, refusals,
// the end of the input, and the file prompt.
#include "platform/terminal_dialog_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/test_dialog.h"
#include "support/smf_builder.h"

namespace {

using vl::test::TestDialog;

struct Terminal {
    explicit Terminal(const std::string& input) : in(input), runner(in, out) {}
    std::istringstream in;
    std::ostringstream out;
    vl::TerminalDialogRunner runner;
};

TEST(TerminalDialogRunner, commands_change_controls_and_ok_ends_the_dialog) {
    Terminal t("uncheck 10\nselect 11 2\npress 12\nhelp\nshow\npress 1\nselect 11 0\n");
    TestDialog dialog;
    EXPECT_EQ(t.runner.runModal(dialog, nullptr), vl::kDialogOk);
    EXPECT_FALSE(dialog.isChecked(TestDialog::kCheck));
    EXPECT_EQ(dialog.selection(TestDialog::kList), 2);  // the line after OK is not read
    EXPECT_EQ(dialog.commands, 2);
    EXPECT_EQ(dialog.lastCommand, vl::kDialogOk);
    EXPECT_EQ(dialog.helps, 1);

    const std::string shown = t.out.str();
    EXPECT_NE(shown.find("== Test dialog =="), std::string::npos);
    EXPECT_NE(shown.find("[x] Check me"), std::string::npos);  // after init, mnemonic hidden
    EXPECT_NE(shown.find("[ ] Check me"), std::string::npos);
    EXPECT_NE(shown.find("<OK> (default)"), std::string::npos);
    EXPECT_NE(shown.find("> 2  two"), std::string::npos);
    EXPECT_NE(shown.find("[edit & text]"), std::string::npos);
}

TEST(TerminalDialogRunner, wrong_commands_are_refused_without_effect) {
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"check 11", "No check box 11."},
        {"check abc", "No check box abc."},
        {"select 10 0", "No list 10."},
        {"select 11 3", "No entry 3 in list 11."},
        {"select 11 x", "No entry x in list 11."},
        {"press 13", "No button 13."},
        {"press 99999999999999", "No button"},
        {"frobnicate", "Commands:"},
        {"check", "Commands:"},
    };
    for (const Case& c : cases) {
        Terminal t(std::string(c.line) + "\n");
        TestDialog dialog;
        EXPECT_EQ(t.runner.runModal(dialog, nullptr), vl::kDialogCancel) << c.line;
        EXPECT_EQ(dialog.commands, 0) << c.line;
        EXPECT_TRUE(dialog.isChecked(TestDialog::kCheck)) << c.line;
        EXPECT_EQ(dialog.selection(TestDialog::kList), -1) << c.line;
        EXPECT_NE(t.out.str().find(c.answer), std::string::npos) << c.line;
    }
}

TEST(TerminalDialogRunner, the_end_of_input_cancels_even_mid_line) {
    for (const char* input : {"", "check 10", "press 12\n", "cancel\n"}) {
        Terminal t(input);
        TestDialog dialog;
        EXPECT_EQ(t.runner.runModal(dialog, nullptr), vl::kDialogCancel) << input;
        EXPECT_EQ(dialog.inits, 1);
    }
}

TEST(TerminalDialogRunner, very_long_lines_are_cut_not_trusted) {
    Terminal t(std::string(100000, 'x') + "\nok\n");
    TestDialog dialog;
    EXPECT_EQ(t.runner.runModal(dialog, nullptr), vl::kDialogOk);
    EXPECT_LT(t.out.str().size(), 20000u);
}

TEST(TerminalDialogRunner, the_file_prompt_refuses_until_a_file_exists) {
    vl::test::TempFile file({'M', 'T', 'h', 'd'}, "tune.mid");
    const std::string tooLong = "/" + std::string(300, 'a') + ".mid";
    int configured = 0;
    vl::OpenFileRequest request = vl::importOpenFileRequest();
    request.onConfigure = [&](void*) { ++configured; };
    Terminal t(file.directory() + "/missing.mid\n" + tooLong + "\nconfigure\n  " +
               file.directory() + "/tune\r\n");
    std::string path;
    uint32_t errorCode = 1;
    EXPECT_TRUE(t.runner.askOpenFile(request, nullptr, path, errorCode));
    EXPECT_EQ(path, file.path());
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(configured, 1);
    EXPECT_NE(t.out.str().find("File not found."), std::string::npos);
    EXPECT_NE(t.out.str().find("The path is too long."), std::string::npos);
    EXPECT_NE(t.out.str().find("Import MIDI file"), std::string::npos);
}

TEST(TerminalDialogRunner, an_empty_line_or_the_end_of_input_cancels_the_file_prompt) {
    for (const char* input : {"\n", "", "   \r\n", "/no/such.mid\n"}) {
        Terminal t(input);
        std::string path = "unchanged";
        uint32_t errorCode = 1;
        EXPECT_FALSE(t.runner.askOpenFile(vl::importOpenFileRequest(), nullptr, path, errorCode))
            << input;
        EXPECT_EQ(path, "unchanged");
        EXPECT_EQ(errorCode, 0u);
    }
}

TEST(TerminalDialogRunner, messages_beeps_and_help_go_to_the_output) {
    Terminal t("");
    t.runner.showMessageBox(nullptr, "Error 3003 on opening file", "Error opening MIDI file", 0);
    t.runner.beep();
    t.runner.showHelp(131204);
    EXPECT_EQ(t.out.str(),
              "Error opening MIDI file: Error 3003 on opening file\n\aHelp requested (context "
              "131204).\n");
}

}  // namespace
