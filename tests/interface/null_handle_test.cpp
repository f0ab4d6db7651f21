// Every export that takes a session handle does nothing for a null handle
// and answers with its null value.
#include <gtest/gtest.h>

#include "vlmidiin.h"

namespace {

TEST(NullHandle, every_export_answers_with_its_null_value) {
    ImportSession* none = nullptr;
    ImportItem item{};
    item.type = 77;  // must stay untouched
    int32_t record[29] = {};
    record[0] = 42;

    EXPECT_EQ(vlImportInitialise(none), 0);
    EXPECT_EQ(vlImportError(none), 0);
    EXPECT_EQ(vlImportStrandCount(none), 0);
    EXPECT_EQ(vlImportGetFirstStrand(none), 0);
    EXPECT_EQ(vlImportGetNextStrand(none), 0);
    EXPECT_EQ(vlImportGetGuideStrand(none), 0);
    EXPECT_EQ(vlImportGetStartItems(none), 0);
    EXPECT_EQ(vlImportGetStartVoicing(none, &item), 0);
    EXPECT_EQ(vlImportGetFirstItem(none, &item), 0);
    EXPECT_EQ(vlImportGetNextItem(none, &item), 0);
    EXPECT_EQ(item.type, 77);

    EXPECT_EQ(vlMidiImportAppend(none, 0, 0x403C90u, 0), 0);
    EXPECT_EQ(vlMidiImportKeySet(none, 0, 0, 0), 0);
    EXPECT_EQ(vlMidiImportTimeSet(none, 0, 0x08180204u, 0), 0);
    EXPECT_EQ(vlMidiImportTempoSet(none, 0, 500000, 0), 0);

    VlMidiReread(none);
    EXPECT_EQ(VlMidiQuantiseFirstStep(none), 0);
    EXPECT_EQ(VlMidiQuantiseFixDelay(none), 0);
    EXPECT_EQ(VlMidiDuplicateTracksRemove(none), 0);
    VlMidiTrackLengthsEqualise(none);
    VlMidiQuantiseStrands(none);
    EXPECT_EQ(VlMidiKillBaddies(none), 0);
    VlMidiFiducialEventsToggle(none);
    EXPECT_EQ(VlMidiFiducialEventsArePresent(none), 0);
    VlMidiFiducialEventsClear(none);
    VlMidiFiducialEventsInsert(none);
    EXPECT_EQ(VlMidiBarlinesInsert(none), 0);
    EXPECT_EQ(VlMidiProprietaryOnOffsInsert(none), 0);
    EXPECT_EQ(VlMidiAnnotate(none), 0);

    EXPECT_EQ(VlMidiStatisticsCompute(none, record), 0);
    EXPECT_EQ(record[0], 42);
    EXPECT_EQ(VlMidiStatisticsShow(none), 0);

    EXPECT_EQ(VlMidiTextLineSetFirst(none), 0);
    EXPECT_EQ(VlMidiTextLineSetNext(none), 0);
    EXPECT_EQ(VlMidiTextLineTextChunk(none, 2), nullptr);
    EXPECT_EQ(VlMidiTextLineType(none), -1);
    EXPECT_EQ(VlMidiTextLineCount(none), 65535u);

    VlMidiImportListShow(none, nullptr);
    EXPECT_EQ(vlImportItemText(none, &item), nullptr);
}

TEST(NullHandle, close_accepts_a_null_address_and_a_null_handle) {
    vlImportClose(nullptr);
    ImportSession* none = nullptr;
    vlImportClose(&none);
    EXPECT_EQ(none, nullptr);
}

TEST(NullHandle, open_from_a_null_name_gives_null) { EXPECT_EQ(vlImportOpenFromName(nullptr), nullptr); }

TEST(Versions, the_interface_reports_its_versions_and_format) {
    EXPECT_EQ(vlImportVersion(), 1);
    EXPECT_EQ(vlMidiImportVersion(), 1);
    EXPECT_STREQ(vlImportFormatName(), "MIDI");
}

}  // namespace
