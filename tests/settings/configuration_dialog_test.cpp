// The "Midi import configuration" dialog at a terminal: the beat list entry it
// opens with, what OK, Cancel and help do to the record, and its screens (a
// golden transcript of each session with the record before and after).
#include "settings/configuration_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/terminal_dialog_runner.h"
#include "support/golden.h"

namespace vl::test {
namespace {

std::string summary(const ResolutionSettings& r) {
    return "triplets " + std::to_string(r.triplets) + " swing " + std::to_string(r.swing) +
           " beat " + std::to_string(r.quantisationBeat);
}

TEST(ConfigurationDialog, terminal_sessions_change_the_record_as_the_transcript_says) {
    const struct {
        uint8_t beat;
        const char* input;
    } sessions[] = {
        {7, ""}, {6, ""}, {5, ""}, {4, ""}, {3, ""}, {0, ""}, {8, ""}, {255, ""},  // cancelled
        {3, "uncheck 3023\ncheck 3027\nselect 3024 0\nok\n"},
        {3, "select 3024 1\nok\n"}, {3, "select 3024 2\nok\n"},
        {7, "check 3027\nselect 3024 3\nok\n"},
        {6, "uncheck 3023\nselect 3024 3\ncancel\n"},
        {3, "select 3024 -1\nok\n"}, {6, "select 3024 -1\nok\n"}, {0, "select 3024 -1\nok\n"},
        {200, "select 3024 -1\nok\n"}, {7, "help\ncheck 3027\nok\n"},
    };
    std::string log;
    for (const auto& session : sessions) {
        ResolutionSettings r;
        r.triplets = 1;
        r.swing = 0;
        r.quantisationBeat = session.beat;
        r.chordStartTolerance = 11;  // only the three settings of the dialog change
        std::istringstream in(session.input);
        std::ostringstream out;
        TerminalDialogRunner runner(in, out);
        setDialogRunner(&runner);  // help requests reach this terminal
        log += "#### " + summary(r) + "\n";
        const bool ok = editResolutionSettings(runner, nullptr, r);
        setDialogRunner(nullptr);
        log += out.str() + "\n#### " + (ok ? "ok: " : "cancelled: ") + summary(r) + "\n";
        EXPECT_EQ(r.chordStartTolerance, 11);
    }
    expectGolden("settings/configuration_dialog.txt", log);
}

}  // namespace
}  // namespace vl::test
