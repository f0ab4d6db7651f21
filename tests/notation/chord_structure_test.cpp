// Chord structure: chords pulled onto one onset with one set of tuplet bits,
// the chord-member flags, the sounding-note table across strands and
// channels, the strands left alone (case table), the cursor step, progress
// and cancel, and many overlapping chord windows.

#include "notation/chord_structure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "markers/marker_events.h"
#include "notation/item_text.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

// The track with its channel mask and every note measured, as the steps
// before would leave it; strands and flags come from the text.
MidiTrack prepared(const std::string& text) {
    MidiTrack track = trackFromText(text);
    computeChannelMask(track);
    for (EventPos p = track.begin(); p != track.end(); ++p) assessNote(track, p);
    return track;
}

// in, channel and strand (default 0), lead (default yes), result (default 0), out.
TEST(ChordStructure, chords_of_small_tracks) {
    for (const Case& c : readCases("notation/chord_structure")) {
        SCOPED_TRACE(where("chord_structure", c));
        MidiTrack track = prepared(c["in"]);
        EXPECT_EQ(confirmStrandChords(track, uint8_t(c.number("channel")),
                                      int32_t(c.number("strand")), !c.has("lead")),
                  c.number("result"));
        EXPECT_EQ(trackText(track, true), c.oneLine("out"));
    }
}

const char* const kSpreadChord =
    "0 KQVLBAR, 0 on 0 60 [s0 f4000], 2 on 0 64 [s0 f4000], 3 on 0 67 [s0 f4000], 96 off 0 60, "
    "98 off 0 64, 99 off 0 67, 192 on 0 72 [s0 f4000], 288 off 0 72, 384 KQVLBAR";

TEST(ChordStructure, aligning_a_chord_reports_the_move_and_stands_on_the_leader) {
    MidiTrack track = prepared(kSpreadChord);
    TrackCursor cursor(track);
    EXPECT_FALSE(alignChord(cursor)) << "the cursor stands on no note-on";
    cursor.advance();
    EXPECT_TRUE(alignChord(cursor));
    ASSERT_FALSE(cursor.atEnd());
    EXPECT_EQ(cursor.time(), 0);
    EXPECT_EQ(keyOf(cursor.event()), 60);
    TrackCursor again(track);  // aligned now: a second look moves nothing
    again.advance();
    EXPECT_FALSE(alignChord(again));
    EXPECT_EQ(keyOf(again.event()), 60);
}

TEST(ChordStructure, many_placeholder_leaders_at_one_tick_are_no_members) {
    // Placeholder rests never sound, so each of them leads a chord whose
    // window holds all the others: windows that overlap.
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "0 KQVLEVT 90 fe [s0 f4080 d0/60000], ";
    for (int i = 0; i < 3000; ++i) text += "60000 KQVLEVT 80 fe, ";
    MidiTrack track = trackFromText(text);
    computeChannelMask(track);
    confirmStrandChords(track, 0, 0, true);
    EXPECT_EQ(trackText(track, true).find("f4080"), std::string::npos);
}

TrackSet twoSpreadChords(char secondStrand) {
    std::string second = kSpreadChord;
    for (size_t at = 0; (at = second.find(" [s0", at)) != std::string::npos; ++at)
        second[at + 3] = secondStrand;
    TrackSet set;
    set.appendTrack(prepared(kSpreadChord));
    set.appendTrack(prepared(second));
    return set;
}

const char* const kAligned = "0 KQVLBAR, 0 on 0 60, 0 on 0 64, 0 on 0 67";

TEST(ChordStructure, the_step_reports_each_strand_and_a_cancel_stops_it_between_strands) {
    FakeHost host;
    TrackSet set = twoSpreadChords('0');
    // The middle record names a track that does not exist: skipped, not reported.
    EXPECT_FALSE(
        confirmChords(set, {{0, 0, 0, {}}, {7, 9, 0, {}}, {0, 1, 0, {}}}, host.progress).cancelled);
    EXPECT_EQ(host.stepCaptions(), std::vector<std::string>{"Confirming chord structure..."});
    EXPECT_EQ(host.detailTexts(),
              (std::vector<std::string>{"Strand 1 of 3", "Strand 1 of 3", "Strand 1 of 3", " "}));
    ASSERT_FALSE(host.reports().empty());
    EXPECT_TRUE(host.reports().back().line == 2 && host.reports().back().percent == 0);
    for (MidiTrack& track : set.tracks) EXPECT_EQ(trackText(track).substr(0, 42), kAligned);

    FakeHost cancelling;
    cancelling.cancelAtDetail("Strand 2 of 2");
    set = twoSpreadChords('1');
    const std::string untouched = trackText(set.tracks[1], true);
    EXPECT_TRUE(confirmChords(set, {{0, 0, 0, {}}, {1, 1, 0, {}}}, cancelling.progress).cancelled);
    EXPECT_EQ(trackText(set.tracks[0]).substr(0, 42), kAligned);
    EXPECT_EQ(trackText(set.tracks[1], true), untouched);
}

}  // namespace
}  // namespace vl::test
