// The terminal runner driven through string streams: commands, refusals, the
// end of the input and the file prompt; what it writes is a golden file.
#include "platform/terminal_dialog_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/test_dialog.h"
#include "support/golden.h"
#include "support/smf_builder.h"

namespace vl::test {
namespace {

struct Terminal {
    explicit Terminal(const std::string& input) : in(input), runner(in, out) {}
    std::istringstream in;
    std::ostringstream out;
    TerminalDialogRunner runner;
};

TEST(TerminalDialogRunner, commands_change_controls_refusals_change_nothing_and_ok_ends) {
    Terminal t("check 11\ncheck abc\nselect 10 0\nselect 11 3\nselect 11 x\npress 13\n"
               "press 99999999999999\nfrobnicate\nfrobnicate 12\ncheck\n" +
               std::string(100000, 'x') +
               "\nuncheck 10\nselect 11 2\npress 12\nhelp\nshow\npress 1\nselect 11 0\n");
    TestDialog dialog;
    EXPECT_EQ(t.runner.runModal(dialog, nullptr), kDialogOk);
    EXPECT_FALSE(dialog.isChecked(TestDialog::kCheck));
    EXPECT_EQ(dialog.selection(TestDialog::kList), 2);  // the line after OK is not read
    EXPECT_EQ(dialog.commands, 2);
    EXPECT_EQ(dialog.lastCommand, kDialogOk);
    EXPECT_EQ(dialog.helps, 1);
    t.runner.showMessageBox(nullptr, "Error 3003 on opening file", "Error opening MIDI file", 0);
    t.runner.beep();
    t.runner.showHelp(131204);
    expectGolden("platform/terminal_commands.txt", t.out.str());
}

TEST(TerminalDialogRunner, the_end_of_input_cancels_even_mid_line) {
    for (const char* input : {"", "check 10", "press 12\n", "cancel\n"}) {
        Terminal t(input);
        TestDialog dialog;
        EXPECT_EQ(t.runner.runModal(dialog, nullptr), kDialogCancel) << input;
        EXPECT_EQ(dialog.inits, 1);
    }
}

TEST(TerminalDialogRunner, the_file_prompt_refuses_until_a_file_exists_or_the_user_gives_up) {
    TempFile file({'M', 'T', 'h', 'd'}, "tune.mid");
    int configured = 0;
    OpenFileRequest request = importOpenFileRequest();
    request.onConfigure = [&](void*) { ++configured; };
    Terminal t(file.directory() + "/missing.mid\n/" + std::string(300, 'a') +
               ".mid\nconfigure\n  " + file.directory() + "/tune\r\n");
    std::string path;
    uint32_t errorCode = 1;
    EXPECT_TRUE(t.runner.askOpenFile(request, nullptr, path, errorCode));
    EXPECT_EQ(path, file.path());
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(configured, 1);
    std::string shown = t.out.str();
    for (size_t at; (at = shown.find(file.directory())) != std::string::npos;)
        shown.replace(at, file.directory().size(), "DIR");
    expectGolden("platform/terminal_file_prompt.txt", shown);
    for (const char* input : {"\n", "", "   \r\n", "/no/such.mid\n"}) {
        Terminal cancelled(input);
        path = "unchanged";
        errorCode = 1;
        EXPECT_FALSE(cancelled.runner.askOpenFile(request, nullptr, path, errorCode)) << input;
        EXPECT_EQ(path + " " + std::to_string(errorCode), "unchanged 0");
    }
}

}  // namespace
}  // namespace vl::test
