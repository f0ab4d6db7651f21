// The "Midi import configuration" dialog: the screen it opens with, the beat
// list selection, OK, Cancel and F1.
#include "settings/configuration_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/headless_dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"
#include "support/golden.h"

namespace vl::test {
namespace {

using Dialog = ConfigurationDialog;

ResolutionSettings record(uint32_t triplets, uint32_t swing, uint8_t beat) {
    ResolutionSettings r;
    r.triplets = triplets;
    r.swing = swing;
    r.quantisationBeat = beat;
    return r;
}

std::string summary(const ResolutionSettings& r) {
    return std::to_string(r.triplets) + " " + std::to_string(r.swing) + " " +
           std::to_string(r.quantisationBeat);
}

TEST(ConfigurationDialog, opens_with_the_entry_of_the_beat_selected) {
    const std::pair<int, int> beatAndEntry[] = {{7, 0}, {6, 1}, {5, 2}, {4, 3},
                                                {3, -1}, {0, -1}, {8, -1}, {255, -1}};
    for (const auto& [beat, entry] : beatAndEntry) {
        ScriptedDialogRunner runner;
        ResolutionSettings r = record(1, 0, static_cast<uint8_t>(beat));
        EXPECT_FALSE(editResolutionSettings(runner, nullptr, r));
        EXPECT_EQ(runner.shownDialogs().at(0).controlsAfterInit[3].selection, entry) << beat;
    }
}

TEST(ConfigurationDialog, ok_stores_the_checks_and_the_selected_beat_only) {
    for (int entry = 0; entry < 4; ++entry) {
        ScriptedDialogRunner runner;
        runner.setCheck(Dialog::kTripletsCheck, false)
            .setCheck(Dialog::kSwingCheck, true)
            .select(Dialog::kBeatList, entry)
            .press(kDialogOk);
        ResolutionSettings r = record(1, 0, 3);
        r.chordStartTolerance = 11;
        int parent = 0;
        EXPECT_TRUE(editResolutionSettings(runner, &parent, r));
        EXPECT_EQ(summary(r), "0 1 " + std::to_string(7 - entry));
        EXPECT_EQ(r.chordStartTolerance, 11);
        EXPECT_EQ(runner.shownDialogs()[0].parent, &parent);
    }
}

TEST(ConfigurationDialog, cancel_changes_nothing_whatever_was_changed_in_the_controls) {
    ScriptedDialogRunner pressed;
    pressed.setCheck(Dialog::kTripletsCheck, false).select(Dialog::kBeatList, 3);
    pressed.press(kDialogCancel);
    ScriptedDialogRunner ranDry;
    ranDry.setCheck(Dialog::kSwingCheck, false).select(Dialog::kBeatList, 2);
    HeadlessDialogRunner headless;
    DialogRunner* const runners[] = {&pressed, &ranDry, &headless};
    for (DialogRunner* runner : runners) {
        ResolutionSettings r = record(1, 1, 6);
        EXPECT_FALSE(editResolutionSettings(*runner, nullptr, r));
        EXPECT_EQ(summary(r), "1 1 6");
    }
}

TEST(ConfigurationDialog, without_a_valid_selection_ok_keeps_a_beat_within_range) {
    for (const auto& [before, after] : {std::pair{3, 3}, {6, 6}, {0, 3}, {200, 7}}) {
        ScriptedDialogRunner runner;
        runner.select(Dialog::kBeatList, -1).press(kDialogOk);
        ResolutionSettings r = record(0, 0, static_cast<uint8_t>(before));
        EXPECT_TRUE(editResolutionSettings(runner, nullptr, r));
        EXPECT_EQ(r.quantisationBeat, after) << before;
    }
}

TEST(ConfigurationDialog, f1_asks_for_help_and_keeps_the_dialog_open) {
    ScriptedDialogRunner runner;
    setDialogRunner(&runner);  // help goes through the current runner
    runner.pressHelp().setCheck(Dialog::kSwingCheck, true).press(kDialogOk);
    ResolutionSettings r = record(0, 0, 7);
    EXPECT_TRUE(editResolutionSettings(runner, nullptr, r));
    setDialogRunner(nullptr);
    EXPECT_EQ(r.swing, 1u);
    EXPECT_EQ(runner.helpContexts(), std::vector<uint32_t>{131204});
}

TEST(ConfigurationDialog, a_terminal_user_sees_the_screen_and_changes_the_settings) {
    std::istringstream in("check 3027\nselect 3024 3\nok\n");
    std::ostringstream out;
    TerminalDialogRunner runner(in, out);
    ResolutionSettings r = record(1, 0, 7);
    EXPECT_TRUE(editResolutionSettings(runner, nullptr, r));
    EXPECT_EQ(summary(r), "1 1 4");
    expectGolden("settings/configuration_dialog.txt", out.str());
}

}  // namespace
}  // namespace vl::test
