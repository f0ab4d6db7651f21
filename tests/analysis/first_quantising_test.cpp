// First quantising: note-ons and tempo changes onto the grid, zero-length
// notes, the trimming of small overlaps and bar-line overhangs, and the whole
// step with its progress and cancel. Cases are in data/cases/first_quantising.txt.

#include "analysis/first_quantising.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "analysis/grid_case.h"
#include "analysis/quantisation_settings.h"
#include "analysis/track_operations.h"
#include "settings/resolution_settings.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// Runs the case's pass; its result as the case states it.
std::string runPass(const Case& c, MidiTrack& t, const QuantisationSettings& grid,
                    ProgressReporter& progress) {
    const std::string op = c["op"];
    if (op == "onsets") return std::to_string(quantiseOnsets(t, grid, progress).count > 0);
    if (op == "zero") return std::to_string(deleteZeroLengthNotes(t, progress).count);
    if (op == "trim") {
        const TrimResult r = trimOverlaps(t, grid, ResolutionSettings{}, progress);
        return std::to_string(r.notesShortened) + ' ' + std::to_string(r.notesDeleted);
    }
    return std::to_string(firstQuantiseTrack(t, grid, ResolutionSettings{}, progress).count > 0);
}

TEST(FirstQuantising, passes_leave_the_tracks_and_counts_of_their_cases) {
    for (const Case& c : readCases("first_quantising")) {
        SCOPED_TRACE(where("first_quantising", c));
        FakeHost host;
        if (c.has("cancel-from"))
            host.cancelFromPercent(static_cast<int32_t>(c.number("cancel-from")));
        if (c.has("cancel-at")) host.cancelAtDetail(c["cancel-at"] + ' ');  // detail lines end so
        host.progress.beginStep("First quantising MIDI events...", 1, "Track");
        host.progress.item(0);
        const QuantisationSettings grid = gridOf(c);
        MidiTrack t = trackFromText(c["in"], grid.period() > 0 ? grid.period() : 96);
        if (c.has("mask"))
            t.channelMask = static_cast<uint16_t>(c.number("mask"));
        else
            computeChannelMask(t);
        const std::string expected = c.oneLine(c.has("out") ? "out" : "in");
        const std::string result = runPass(c, t, grid, host.progress);
        EXPECT_EQ(trackText(t, true), expected);
        if (c.has("result")) {
            EXPECT_EQ(result, c["result"]);
        }
        if (c["op"] != "track" || c.has("cancel-from") || c.has("cancel-at")) continue;
        EXPECT_EQ(firstQuantiseTrack(t, grid, ResolutionSettings{}, host.progress).count, 0);
        EXPECT_EQ(trackText(t, true), expected) << "a second run changed the track";
    }
}

class FirstQuantisingProgress : public HostTest {};

TEST_F(FirstQuantisingProgress, names_every_channel_on_the_detail_line) {
    MidiTrack t = trackFromText("4 on 0 60, 52 off 0 60");
    reporter.beginStep("First quantising MIDI events...", 1, "Track");
    reporter.item(0);
    firstQuantiseTrack(t, QuantisationSettings(96, 7, 0, 0), ResolutionSettings{}, reporter);
    std::vector<std::string> channels = host.detailTexts();
    std::erase_if(channels, [](const std::string& s) { return s.find("channel") == s.npos; });
    ASSERT_EQ(channels.size(), 16u);
    EXPECT_EQ(channels.front(), "Track 1 of 1 - MIDI channel 1 ");
    EXPECT_EQ(channels.back(), "Track 1 of 1 - MIDI channel 16 ");
}

}  // namespace
}  // namespace vl::test
