// Whole-set operations: every track is visited, and each reset touches only
// the annotation fields it names.

#include "analysis/track_set_operations.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/track_text.h"

namespace vl::test {
namespace {

const char* const kTracks[] = {"0 TS 4 2, 0 KS 0 0", "0 on 2 60, 10 off 2 60",
                               "0 KQVLEVT 9b 28, 0 KQVLBAR, 5 off 4 40"};

// The tracks above, every event annotated [s7 fffff d11/22].
TrackSet annotatedSet() {
    TrackSet set;
    for (const char* text : kTracks) {
        MidiTrack t = trackFromText(text);
        for (MidiEvent& e : t.events) {
            e.flags = 0xFFFF;
            e.strand = 7;
            e.duration1 = 11;
            e.duration2 = 22;
        }
        set.appendTrack(std::move(t));
    }
    return set;
}

// The items of text, each followed by note.
std::string everyItem(const std::string& text, const std::string& note) {
    std::istringstream in(text);
    std::string out;
    for (std::string item; std::getline(in, item, ',');)
        out += (out.empty() ? "" : ",") + item + note;
    return out;
}

TEST(TrackSetOperations, channel_masks_of_every_track_count_marker_notes) {
    TrackSet set = annotatedSet();
    computeChannelMasks(set);
    EXPECT_EQ(set.tracks[0].channelMask, 0);
    EXPECT_EQ(set.tracks[1].channelMask, 1u << 2);
    EXPECT_EQ(set.tracks[2].channelMask, (1u << 11) | (1u << 4));
}

TEST(TrackSetOperations, each_reset_clears_only_its_fields_on_every_track) {
    const struct {
        void (*reset)(TrackSet&);
        const char* annotation;
    } cases[] = {{resetAllAnnotations, ""},
                 {resetAssessment, " [f3fff]"},
                 {resetStrands, " [fbfff d11/22]"},
                 {clearOutputMarks, " [s7 f7fff d11/22]"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.annotation);
        TrackSet set = annotatedSet();
        c.reset(set);
        for (size_t i = 0; i < set.size(); ++i)
            EXPECT_EQ(trackText(set.tracks[i], true), everyItem(kTracks[i], c.annotation));
    }
}

TEST(TrackSetOperations, remove_all_markers_of_every_track) {
    TrackSet set;
    set.appendTrack(trackFromText("0 TS 3 2, 0 on 0 60"));
    set.appendTrack(trackFromText("0 KQVLMTA 58 03 02 18 08, 0 on 1 60, 288 KQVLEVT 81 3c, "
                                  "288 KQVLBAR, 288 KQVLMTA 59 02 00, 288 KQVLEVT 91 3c, "
                                  "300 off 1 60"));
    set.appendTrack(trackFromText("10 KQVLBAR, 20 on 2 50"));
    removeAllMarkers(set);
    EXPECT_EQ(trackText(set.tracks[0]), "0 TS 3 2, 0 on 0 60");
    EXPECT_EQ(trackText(set.tracks[1]), "0 on 1 60, 300 off 1 60");
    EXPECT_EQ(trackText(set.tracks[2]), "20 on 2 50");
}

}  // namespace
}  // namespace vl::test
