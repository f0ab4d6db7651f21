// The "Midi import configuration" dialog through the runners: its controls,
// the beat list selection, OK, Cancel and F1.
#include "settings/configuration_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/headless_dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"

namespace {

using vl::ConfigurationDialog;
using vl::ResolutionSettings;
using vl::ScriptedDialogRunner;

ResolutionSettings record(uint32_t triplets, uint32_t swing, uint8_t beat) {
    ResolutionSettings r;
    r.triplets = triplets;
    r.swing = swing;
    r.quantisationBeat = beat;
    return r;
}

void expectRecord(const ResolutionSettings& r, uint32_t triplets, uint32_t swing, uint8_t beat) {
    EXPECT_EQ(r.triplets, triplets);
    EXPECT_EQ(r.swing, swing);
    EXPECT_EQ(r.quantisationBeat, beat);
}

TEST(ConfigurationDialog, opens_with_the_entry_of_the_beat_and_the_checks_of_the_record) {
    struct Case {
        uint8_t beat;
        int selection;
    } cases[] = {{7, 0}, {6, 1}, {5, 2}, {4, 3}, {3, -1}, {0, -1}, {8, -1}, {255, -1}};
    for (const Case& c : cases) {
        ScriptedDialogRunner runner;
        ResolutionSettings r = record(1, 0, c.beat);
        EXPECT_FALSE(vl::editResolutionSettings(runner, nullptr, r));
        ASSERT_EQ(runner.shownDialogs().size(), 1u);
        const auto& shown = runner.shownDialogs()[0].controlsAfterInit;
        EXPECT_EQ(shown[3].selection, c.selection) << int(c.beat);
        EXPECT_TRUE(shown[0].checked);   // triplets
        EXPECT_FALSE(shown[1].checked);  // swing
    }
}

TEST(ConfigurationDialog, ok_stores_the_checks_and_the_selected_beat) {
    struct Case {
        int select;
        uint8_t beat;
    } cases[] = {{0, 7}, {1, 6}, {2, 5}, {3, 4}};
    for (const Case& c : cases) {
        ScriptedDialogRunner runner;
        runner.setCheck(ConfigurationDialog::kTripletsCheck, false)
            .setCheck(ConfigurationDialog::kSwingCheck, true)
            .select(ConfigurationDialog::kBeatList, c.select)
            .press(vl::kDialogOk);
        ResolutionSettings r = record(1, 0, 3);
        r.chordStartTolerance = 11;
        int parent = 0;
        EXPECT_TRUE(vl::editResolutionSettings(runner, &parent, r));
        expectRecord(r, 0, 1, c.beat);
        EXPECT_EQ(r.chordStartTolerance, 11);  // only the three settings change
        EXPECT_EQ(runner.shownDialogs()[0].parent, &parent);
        EXPECT_EQ(runner.rejectedActions(), 0);
    }
}

TEST(ConfigurationDialog, cancel_changes_nothing_whatever_was_changed_in_the_controls) {
    ScriptedDialogRunner pressed;
    pressed.setCheck(ConfigurationDialog::kTripletsCheck, false)
        .setCheck(ConfigurationDialog::kSwingCheck, false)
        .select(ConfigurationDialog::kBeatList, 3)
        .press(vl::kDialogCancel);
    ScriptedDialogRunner ranDry;
    ranDry.setCheck(ConfigurationDialog::kSwingCheck, false).select(ConfigurationDialog::kBeatList, 2);
    vl::HeadlessDialogRunner headless;
    for (vl::DialogRunner* runner : {static_cast<vl::DialogRunner*>(&pressed),
                                     static_cast<vl::DialogRunner*>(&ranDry),
                                     static_cast<vl::DialogRunner*>(&headless)}) {
        ResolutionSettings r = record(1, 1, 6);
        EXPECT_FALSE(vl::editResolutionSettings(*runner, nullptr, r));
        expectRecord(r, 1, 1, 6);
    }
}

TEST(ConfigurationDialog, without_a_valid_selection_ok_keeps_a_beat_within_range) {
    struct Case {
        uint8_t before, after;
    } cases[] = {{3, 3}, {6, 6}, {0, 3}, {200, 7}};
    for (const Case& c : cases) {
        ScriptedDialogRunner runner;
        runner.select(ConfigurationDialog::kBeatList, -1).press(vl::kDialogOk);
        ResolutionSettings r = record(0, 0, c.before);
        EXPECT_TRUE(vl::editResolutionSettings(runner, nullptr, r));
        EXPECT_EQ(r.quantisationBeat, c.after) << int(c.before);
    }
}

TEST(ConfigurationDialog, f1_asks_for_help_on_context_131204_and_keeps_the_dialog_open) {
    vl::resetPlatformRecord();
    ScriptedDialogRunner runner;
    vl::setDialogRunner(&runner);
    runner.pressHelp().setCheck(ConfigurationDialog::kSwingCheck, true).press(vl::kDialogOk);
    ResolutionSettings r = record(0, 0, 7);
    EXPECT_TRUE(vl::editResolutionSettings(runner, nullptr, r));
    vl::setDialogRunner(nullptr);
    EXPECT_EQ(r.swing, 1u);
    EXPECT_EQ(runner.helpContexts(), std::vector<uint32_t>{131204});
    EXPECT_EQ(vl::platformRecord().helpCount, 1);
    EXPECT_EQ(vl::platformRecord().lastHelpContext, 131204u);
    vl::resetPlatformRecord();
}

TEST(ConfigurationDialog, a_terminal_user_can_change_the_settings) {
    std::istringstream in("check 3027\nselect 3024 3\nok\n");
    std::ostringstream out;
    vl::TerminalDialogRunner runner(in, out);
    ResolutionSettings r = record(1, 0, 7);
    EXPECT_TRUE(vl::editResolutionSettings(runner, nullptr, r));
    expectRecord(r, 1, 1, 4);
    EXPECT_NE(out.str().find("Quaver" + std::string(23, ' ') + "(1/8 note)"), std::string::npos);
}

}  // namespace
