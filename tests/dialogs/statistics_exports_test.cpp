// VlMidiStatisticsCompute and VlMidiStatisticsShow through the C interface:
// null handles, files without tracks, and a file read from disk whose swing
// figures the reader gathered.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "interface/export_guard.h"
#include "platform/dialog_runner.h"
#include "platform/scripted_dialog_runner.h"
#include "support/smf_builder.h"
#include "vlmidiin.h"

namespace {

using vl::test::SmfBuilder;
using vl::test::TempFile;
using Record = std::array<int32_t, 29>;

constexpr int32_t kUntouched = 0x5A5A5A5A;

Record untouchedRecord() {
    Record r;
    r.fill(kUntouched);
    return r;
}

// Division 96. Note-ons in the second sixteenth of a beat (class 1) at offsets
// 10, 12 and 14 from its start, a second note-on in the same slot that is not
// counted, tempo at tick 0 and again later.
TempFile swungFile() {
    return vl::test::writeTempFile(SmfBuilder()
                                       .format(1)
                                       .division(96)
                                       .track()
                                       .tempo(0, 500000)
                                       .noteOn(96 + 24 + 10, 0, 60, 100)
                                       .noteOff(4, 0, 60)
                                       .noteOn(2, 0, 62, 100)  // same slot, tick 136
                                       .noteOff(4, 0, 62)
                                       .noteOn(192 + 24 + 12 - 140, 0, 64, 100)
                                       .noteOff(4, 0, 64)
                                       .noteOn(288 + 24 + 14 - 232, 0, 65, 100)
                                       .noteOff(4, 0, 65)
                                       .tempo(100, 600000)
                                       .endTrack()
                                       .bytes());
}

class StatisticsExports : public ::testing::Test {
protected:
    StatisticsExports() { vl::setDialogRunner(&runner_); }
    ~StatisticsExports() override {
        vl::setDialogRunner(nullptr);
        vlImportClose(&session_);
    }
    void open(const TempFile& file) {
        session_ = vlImportOpenFromName(file.path().c_str());
        ASSERT_NE(session_, nullptr);
    }
    void dropTracks() { vl::sessionOf(session_)->tracks().tracks.clear(); }

    vl::ScriptedDialogRunner runner_;
    ImportSession* session_ = nullptr;
};

TEST_F(StatisticsExports, NullHandleOrRecordLeavesTheRecordUntouched) {
    Record r = untouchedRecord();
    EXPECT_EQ(VlMidiStatisticsCompute(nullptr, r.data()), 0);
    EXPECT_EQ(r, untouchedRecord());
    EXPECT_EQ(VlMidiStatisticsShow(nullptr), 0);
    EXPECT_TRUE(runner_.shownDialogs().empty());

    const TempFile file = swungFile();
    open(file);
    EXPECT_EQ(VlMidiStatisticsCompute(session_, nullptr), 0);
}

TEST_F(StatisticsExports, AReadFileGivesPresenceFitsAndSwing) {
    const TempFile file = swungFile();
    open(file);
    Record r = untouchedRecord();
    ASSERT_EQ(VlMidiStatisticsCompute(session_, r.data()), 1);
    EXPECT_EQ(r[0], 0x10 | 0x20);
    // onsets 130, 136, 228, 326: of the intervals 6, 92 and 98 only 6 fits a
    // straight grid (the 1/64 grid of 6 ticks)
    EXPECT_EQ(r[4], 0);
    EXPECT_EQ(r[8], 333);
    EXPECT_EQ(r[16], 1000);  // the 2-tick triplet grid fits them all
    EXPECT_EQ(r[15], 333);   // 4 ticks: only 92
    // swing: class 1 holds three note-ons, mean 12, deviation 2
    EXPECT_EQ((std::array<int32_t, 4>{r[17], r[18], r[19], r[20]}),
              (std::array<int32_t, 4>{0, 3, 0, 0}));
    EXPECT_EQ(r[22], 12);
    EXPECT_EQ(r[26], 2);
}

TEST_F(StatisticsExports, WithoutTracksEntriesOneTo28AreStillWritten) {
    const TempFile file = swungFile();
    open(file);
    dropTracks();
    Record r = untouchedRecord();
    EXPECT_EQ(VlMidiStatisticsCompute(session_, r.data()), 0);
    EXPECT_EQ(r[0], kUntouched);
    EXPECT_TRUE(std::all_of(r.begin() + 1, r.begin() + 17, [](int32_t v) { return v == -1; }));
    EXPECT_TRUE(std::all_of(r.begin() + 17, r.end(), [](int32_t v) { return v == 0; }));

    runner_.press(vl::kDialogOk);
    EXPECT_EQ(VlMidiStatisticsShow(session_), 0);
    EXPECT_TRUE(runner_.shownDialogs().empty());
}

TEST_F(StatisticsExports, ShowOpensTheDialogThroughTheCurrentRunner) {
    const TempFile file = swungFile();
    open(file);
    runner_.press(vl::kDialogOk);
    EXPECT_EQ(VlMidiStatisticsShow(session_), 1);
    ASSERT_EQ(runner_.shownDialogs().size(), 1u);
    const auto& shown = runner_.shownDialogs()[0];
    EXPECT_EQ(shown.templateId, 3000);
    EXPECT_EQ(shown.parent, nullptr);
    const auto textOf = [&](int id) {
        for (const vl::DialogControl& c : shown.controlsAfterInit) {
            if (c.id == id) return c.text;
        }
        return std::string("<missing>");
    };
    EXPECT_EQ(textOf(3027), "12");  // class 1 mean
    EXPECT_EQ(textOf(3031), "2");   // class 1 deviation
    EXPECT_EQ(textOf(3013), "33.3%");
    EXPECT_EQ(textOf(3021), "100.0%");
    // the headless runner cancels at once; the answer is still the computation's
    vl::setDialogRunner(nullptr);
    vl::setDialogMode(vl::kDialogModeHeadless);
    EXPECT_EQ(VlMidiStatisticsShow(session_), 1);
}

}  // namespace
