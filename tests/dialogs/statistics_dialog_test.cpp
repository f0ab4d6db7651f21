// The "MIDI Statistics" dialog: the screen it opens with for a record (a
// golden file), the box each presence bit checks, and showing it for a track set.
#include "dialogs/statistics_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/scripted_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"
#include "support/golden.h"

namespace vl::test {
namespace {

TEST(StatisticsDialog, opens_with_the_texts_of_the_record) {
    StatisticsValues v{};
    v[statistics::Presence] = presence::TimeSignatureAtStart | presence::TempoLater;
    const int32_t fits[] = {1000, 875, 0, 5, -1, 999, 10, -1, -1, -1, 333, 1000, 1, 0, 500, -1};
    std::copy(std::begin(fits), std::end(fits), v.begin() + statistics::StraightFits);
    const int32_t swing[] = {100, 101, 102, 103, 3, 12, 40, 0, 1, 2, 7, 0};
    std::copy(std::begin(swing), std::end(swing), v.begin() + statistics::SwingCounts);
    std::istringstream in("");
    std::ostringstream out;
    TerminalDialogRunner runner(in, out);
    StatisticsDialog dialog(v);
    EXPECT_EQ(runner.runModal(dialog, nullptr), kDialogCancel);
    expectGolden("dialogs/statistics_dialog.txt", out.str());
}

TEST(StatisticsDialog, each_presence_bit_checks_its_box) {
    const std::pair<int32_t, int> bitAndBox[] = {{0x1, 3000}, {0x4, 3001}, {0x10, 3002},
                                                 {0x2, 3003}, {0x8, 3004}, {0x20, 3005}};
    for (const auto& [bit, box] : bitAndBox) {
        StatisticsValues v{};
        v[statistics::Presence] = bit;
        ScriptedDialogRunner runner;
        StatisticsDialog dialog(v);
        runner.runModal(dialog, nullptr);
        for (int id = 3000; id <= 3005; ++id)
            EXPECT_EQ(dialog.isChecked(id), id == box) << "bit " << bit << " box " << id;
    }
}

TEST(StatisticsDialog, showing_a_track_set_computes_and_opens_without_owner) {
    TrackSet set;
    set.division = 96;
    MidiTrack& t = set.addEmptyTrack();
    const uint8_t tempo[3] = {0x07, 0xA1, 0x20};
    t.append(MidiEvent(0, meta::Tempo, 3, tempo));
    t.append(MidiEvent(96, MidiMessage::channel(kind::NoteOn, 0, 60, 90)));
    t.append(MidiEvent(48, MidiMessage::channel(kind::NoteOn, 0, 62, 90)));
    ScriptedDialogRunner runner;
    runner.setCheck(3005, true).press(kDialogOk);
    EXPECT_TRUE(showStatistics(runner, set));
    const auto& shown = runner.shownDialogs().at(0);
    EXPECT_EQ(shown.title, "MIDI Statistics");
    EXPECT_EQ(shown.parent, nullptr);
    EXPECT_EQ(shown.result, kDialogOk);
    const auto& c = shown.controlsAfterInit;
    const auto box = [&](int id) { return std::find_if(c.begin(), c.end(), [id](auto& x) {
        return x.id == id; }); };
    EXPECT_TRUE(box(3002)->checked);   // tempo at start
    EXPECT_FALSE(box(3005)->checked);  // no tempo change
    EXPECT_EQ(box(3009)->text + " " + box(3010)->text, "0.0% 100.0%");  // 48 against 96 and 48
}

}  // namespace
}  // namespace vl::test
