// Every export that takes a session handle does nothing for a null handle and
// answers with its null value; the versions the interface reports.
#include <gtest/gtest.h>

#include "vlmidiin.h"

namespace vl::test {
namespace {

TEST(NullHandle, every_export_answers_with_its_null_value) {
    ::ImportSession* none = nullptr;
    ImportItem item{};
    item.type = 77;  // must stay untouched
    int32_t record[29] = {42};
    const std::pair<int64_t, int64_t> answers[] = {
        {vlImportInitialise(none), 0}, {vlImportError(none), 0},
        {vlImportStrandCount(none), 0}, {vlImportGetFirstStrand(none), 0},
        {vlImportGetNextStrand(none), 0}, {vlImportGetGuideStrand(none), 0},
        {vlImportGetStartItems(none), 0}, {vlImportGetStartVoicing(none, &item), 0},
        {vlImportGetFirstItem(none, &item), 0}, {vlImportGetNextItem(none, &item), 0},
        {vlMidiImportAppend(none, 0, 0x403C90u, 0), 0}, {vlMidiImportKeySet(none, 0, 0, 0), 0},
        {vlMidiImportTimeSet(none, 0, 0x08180204u, 0), 0},
        {vlMidiImportTempoSet(none, 0, 500000, 0), 0}, {VlMidiQuantiseFirstStep(none), 0},
        {VlMidiQuantiseFixDelay(none), 0}, {VlMidiDuplicateTracksRemove(none), 0},
        {VlMidiKillBaddies(none), 0}, {VlMidiFiducialEventsArePresent(none), 0},
        {VlMidiBarlinesInsert(none), 0}, {VlMidiProprietaryOnOffsInsert(none), 0},
        {VlMidiAnnotate(none), 0}, {VlMidiStatisticsCompute(none, record), 0},
        {VlMidiStatisticsShow(none), 0}, {VlMidiTextLineSetFirst(none), 0},
        {VlMidiTextLineSetNext(none), 0}, {VlMidiTextLineType(none), -1},
        {VlMidiTextLineCount(none), 65535}, {vlImportVersion(), 1}, {vlMidiImportVersion(), 1}};
    for (size_t i = 0; i < std::size(answers); ++i)
        EXPECT_EQ(answers[i].first, answers[i].second) << "answer " << i;
    for (void (*command)(::ImportSession*) :
         {VlMidiReread, VlMidiTrackLengthsEqualise, VlMidiQuantiseStrands,
          VlMidiFiducialEventsToggle, VlMidiFiducialEventsClear, VlMidiFiducialEventsInsert})
        command(none);
    VlMidiImportListShow(none, nullptr);
    EXPECT_EQ(VlMidiTextLineTextChunk(none, 2), nullptr);
    EXPECT_EQ(vlImportItemText(none, &item), nullptr);
    EXPECT_EQ(item.type, 77);
    EXPECT_EQ(record[0], 42);
    EXPECT_EQ(vlImportOpenFromName(nullptr), nullptr);
    EXPECT_STREQ(vlImportFormatName(), "MIDI");
    vlImportClose(nullptr);
    vlImportClose(&none);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace vl::test
