// The "MIDI Statistics" dialog: its controls in order, the texts and check
// boxes it opens with, and showing it for a track set through a runner.
#include "dialogs/statistics_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/scripted_dialog_runner.h"

namespace vl {
namespace {

using Shown = ScriptedDialogRunner::ShownDialog;

StatisticsValues sampleValues() {
    StatisticsValues v{};
    v[statistics::Presence] = presence::TimeSignatureAtStart | presence::TempoLater;
    const int32_t straight[] = {1000, 875, 0, 5, -1, 999, 10, -1};
    const int32_t triplet[] = {-1, -1, 333, 1000, 1, 0, 500, -1};
    for (size_t i = 0; i < kGridCount; ++i) {
        v[statistics::StraightFits + i] = straight[i];
        v[statistics::TripletFits + i] = triplet[i];
    }
    const int32_t means[] = {3, 12, 40, 0};
    const int32_t deviations[] = {1, 2, 7, 0};
    for (size_t c = 0; c < kSwingClasses; ++c) {
        v[statistics::SwingCounts + c] = 100 + static_cast<int32_t>(c);
        v[statistics::SwingMeans + c] = means[c];
        v[statistics::SwingDeviations + c] = deviations[c];
    }
    return v;
}

const DialogControl* control(const std::vector<DialogControl>& controls, int id) {
    for (const DialogControl& c : controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::string textOf(const std::vector<DialogControl>& controls, int id) {
    const DialogControl* c = control(controls, id);
    return c != nullptr ? c->text : "<missing " + std::to_string(id) + ">";
}

// Opens the dialog with the scripted runner and returns what it showed.
Shown shownFor(const StatisticsValues& values) {
    ScriptedDialogRunner runner;
    runner.press(kDialogOk);
    StatisticsDialog dialog(values);
    EXPECT_EQ(runner.runModal(dialog, nullptr), kDialogOk);
    EXPECT_EQ(runner.shownDialogs().size(), 1u);
    return runner.shownDialogs().empty() ? Shown{} : runner.shownDialogs()[0];
}

TEST(StatisticsDialogFormat, FitsInTenthsOfAPercent) {
    struct Case {
        int32_t value;
        const char* text;
    } cases[] = {{1000, "100.0%"}, {875, "87.5%"}, {0, "0.0%"},  {5, "0.5%"},
                 {333, "33.3%"},   {10, "1.0%"},   {-1, ""}};
    for (const Case& c : cases) EXPECT_EQ(formatFit(c.value), c.text) << c.value;
}

TEST(StatisticsDialog, OpensWithTheTextsOfTheRecord) {
    const Shown shown = shownFor(sampleValues());
    const auto& c = shown.controlsAfterInit;
    const char* straight[] = {"100.0%", "87.5%", "0.0%", "0.5%", "", "99.9%", "1.0%", ""};
    const char* triplet[] = {"", "", "33.3%", "100.0%", "0.1%", "0.0%", "50.0%", ""};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(textOf(c, 3006 + i), straight[i]) << i;
        EXPECT_EQ(textOf(c, 3014 + i), triplet[i]) << i;
    }
    const char* means[] = {"3", "12", "40", "0"};
    const char* deviations[] = {"1", "2", "7", "0"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(textOf(c, 3026 + k), means[k]) << k;
        EXPECT_EQ(textOf(c, 3030 + k), deviations[k]) << k;
    }
    // the swing counts have no control
    for (int id = 3022; id <= 3025; ++id) EXPECT_EQ(control(c, id), nullptr) << id;
}

TEST(StatisticsDialog, EachPresenceBitChecksItsBox) {
    struct Case {
        int32_t bit;
        int id;
    } cases[] = {{0x1, 3000}, {0x4, 3001}, {0x10, 3002}, {0x2, 3003}, {0x8, 3004}, {0x20, 3005}};
    for (const Case& c : cases) {
        StatisticsValues v{};
        v[statistics::Presence] = c.bit;
        const Shown shown = shownFor(v);
        for (int id = 3000; id <= 3005; ++id) {
            const DialogControl* box = control(shown.controlsAfterInit, id);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->checked, id == c.id) << "bit " << c.bit << " box " << id;
        }
    }
}

TEST(StatisticsDialog, ShowingATrackSetComputesAndOpensWithoutOwner) {
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
    ASSERT_EQ(runner.shownDialogs().size(), 1u);
    const Shown& shown = runner.shownDialogs()[0];
    EXPECT_EQ(shown.title, "MIDI Statistics");
    EXPECT_EQ(shown.parent, nullptr);
    EXPECT_EQ(shown.result, kDialogOk);
    EXPECT_TRUE(control(shown.controlsAfterInit, 3002)->checked);   // tempo at start
    EXPECT_FALSE(control(shown.controlsAfterInit, 3005)->checked);  // no tempo change
    EXPECT_EQ(textOf(shown.controlsAfterInit, 3009), "0.0%");       // 48 against 96
    EXPECT_EQ(textOf(shown.controlsAfterInit, 3010), "100.0%");     // 48 against 48
}

}  // namespace
}  // namespace vl
