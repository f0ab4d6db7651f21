// The "MIDI Statistics" dialog: the screen it opens with for a record (a
// golden file) and the box each presence bit checks; VlMidiStatisticsCompute and VlMidiStatisticsShow through the C interface
// on a file whose swing figures the reader gathered, and without tracks.
#include "dialogs/statistics_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "interface/export_guard.h"
#include "platform/terminal_dialog_runner.h"
#include "support/golden.h"
#include "support/scripted_dialog_runner.h"
#include "support/smf_builder.h"

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

// Division 96. Note-ons in the second sixteenth of a beat (class 1) at offsets
// 10, 12 and 14 from its start, a second note-on in the same slot that is not
// counted, tempo at tick 0 and again later: onsets 130, 136, 228, 326.
TempFile swungFile() {
    return writeTempFile(SmfBuilder().format(1).division(96).track().tempo(0, 500000)
                             .noteOn(130, 0, 60, 100).noteOff(4, 0, 60).noteOn(2, 0, 62, 100)
                             .noteOff(4, 0, 62).noteOn(88, 0, 64, 100).noteOff(4, 0, 64)
                             .noteOn(94, 0, 65, 100).noteOff(4, 0, 65).tempo(100, 600000)
                             .endTrack().bytes());
}

std::string joined(const std::array<int32_t, 29>& r) {
    std::string out;
    for (int32_t v : r) out += (out.empty() ? "" : " ") + std::to_string(v);
    return out;
}

class StatisticsExports : public ::testing::Test {
protected:
    StatisticsExports() {
        setDialogRunner(&runner_);
        record_.fill(7);
    }
    ~StatisticsExports() override {
        setDialogRunner(nullptr);
        vlImportClose(&session_);
    }
    ScriptedDialogRunner runner_;
    TempFile file_ = swungFile();
    ::ImportSession* session_ = vlImportOpenFromName(file_.path().c_str());
    std::array<int32_t, 29> record_;
};

TEST_F(StatisticsExports, a_read_file_gives_presence_fits_and_swing_and_shows_them) {
    EXPECT_EQ(VlMidiStatisticsCompute(session_, nullptr), 0);
    ASSERT_EQ(VlMidiStatisticsCompute(session_, record_.data()), 1);
    // of the intervals 6, 92 and 98 only 6 fits the straight 1/64 grid; class 1 holds
    // three note-ons, mean 12, deviation 2
    EXPECT_EQ(joined(record_), "48 0 0 0 0 0 0 0 333 0 0 0 0 0 0 333 1000 "
                               "0 3 0 0 0 12 0 0 0 2 0 0");
    runner_.press(kDialogOk);
    EXPECT_EQ(VlMidiStatisticsShow(session_), 1);
    const auto& shown = runner_.shownDialogs().at(0);
    EXPECT_EQ(shown.templateId, 3000);
    EXPECT_EQ(shown.parent, nullptr);
    std::string texts;
    for (const DialogControl& c : shown.controlsAfterInit)
        if (c.id == 3013 || c.id == 3021 || c.id == 3027 || c.id == 3031) texts += c.text + " ";
    EXPECT_EQ(texts, "33.3% 100.0% 12 2 ");
    setDialogRunner(nullptr);
    setDialogMode(kDialogModeHeadless);  // cancels at once; the answer is still the computation's
    EXPECT_EQ(VlMidiStatisticsShow(session_), 1);
}

TEST_F(StatisticsExports, without_tracks_entries_1_to_28_are_still_written_and_nothing_shows) {
    sessionOf(session_)->analysis().tracks().tracks.clear();
    EXPECT_EQ(VlMidiStatisticsCompute(session_, record_.data()), 0);
    EXPECT_EQ(joined(record_), "7 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 "
                               "0 0 0 0 0 0 0 0 0 0 0 0");
    runner_.press(kDialogOk);
    EXPECT_EQ(VlMidiStatisticsShow(session_), 0);
    EXPECT_TRUE(runner_.shownDialogs().empty());
}

}  // namespace
}  // namespace vl::test
