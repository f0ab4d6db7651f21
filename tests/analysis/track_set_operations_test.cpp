// Whole-set operations: every track is visited, and each reset touches only
// the annotation fields it names.

#include "analysis/track_set_operations.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/track_text.h"
#include "markers/marker_text.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::TrackBuilder;
using test::trackFromText;

TrackSet threeTracks() {
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 4 2, 0 KS 0 0"));
    set.appendTrack(trackFromText("0 on 2 60, 10 off 2 60"));
    set.appendTrack(TrackBuilder()
                        .at(0, proprietaryNoteMessage(true, 11, 40))
                        .marker(0, "KQVLBAR")
                        .at(5, noteOff(4, 40))
                        .take());
    return set;
}

TEST(TrackSetOperations, ChannelMasksOfEveryTrack) {
    TrackSet set = threeTracks();
    for (MidiTrack& t : set.tracks) t.channelMask = 0xFFFF;
    computeChannelMasks(set);
    EXPECT_EQ(set.tracks[0].channelMask, 0);  // meta events only
    EXPECT_EQ(set.tracks[1].channelMask, 1u << 2);
    EXPECT_EQ(set.tracks[2].channelMask, (1u << 11) | (1u << 4));  // marker note counts
}

struct ResetCase {
    const char* name;
    std::function<void(TrackSet&)> reset;
    uint16_t flags;
    int16_t strand;
    uint16_t duration1;
    uint16_t duration2;
};

TEST(TrackSetOperations, ResetsClearOnlyTheirFields) {
    const std::vector<ResetCase> cases = {
        {"reset all annotations", resetAllAnnotations, 0x0000, -1, 0, 0},
        {"reset assessment", resetAssessment, 0x3FFF, -1, 0, 0},
        {"reset strands", resetStrands, 0xBFFF, -1, 11, 22},
        {"clear output marks", clearOutputMarks, 0x7FFF, 7, 11, 22},
    };
    for (const ResetCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackSet set = threeTracks();
        std::vector<std::vector<Timed>> before;
        for (MidiTrack& t : set.tracks) {
            before.push_back(listTrack(t));
            for (MidiEvent& e : t.events) {
                e.flags = 0xFFFF;
                e.strand = 7;
                e.duration1 = 11;
                e.duration2 = 22;
            }
        }
        c.reset(set);
        for (size_t i = 0; i < set.size(); ++i) {
            EXPECT_EQ(listTrack(set.tracks[i]), before[i]);
            for (const MidiEvent& e : set.tracks[i].events) {
                EXPECT_EQ(e.flags, c.flags);
                EXPECT_EQ(e.strand, c.strand);
                EXPECT_EQ(e.duration1, c.duration1);
                EXPECT_EQ(e.duration2, c.duration2);
            }
        }
    }
}

TEST(TrackSetOperations, RemoveAllMarkersOfEveryTrack) {
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 0 on 0 60"));
    set.appendTrack(TrackBuilder()
                        .marker(0, "KQVLMTA 58 03 02 18 08")
                        .at(0, noteOn(1, 60))
                        .at(288, proprietaryNoteMessage(false, 1, 60))
                        .marker(288, "KQVLBAR")
                        .marker(288, "KQVLMTA 59 02 00")
                        .at(288, proprietaryNoteMessage(true, 1, 60))
                        .at(300, noteOff(1, 60))
                        .take());
    set.appendTrack(trackFromText("10 KQVLBAR, 20 on 2 50"));
    removeAllMarkers(set);
    const std::vector<Timed> first = {{0, "TS 3 2"}, {0, "on 0 60"}};
    const std::vector<Timed> second = {{0, "on 1 60"}, {300, "off 1 60"}};
    const std::vector<Timed> third = {{20, "on 2 50"}};
    EXPECT_EQ(listTrack(set.tracks[0]), first);
    EXPECT_EQ(listTrack(set.tracks[1]), second);
    EXPECT_EQ(listTrack(set.tracks[2]), third);
}

}  // namespace
}  // namespace vl
