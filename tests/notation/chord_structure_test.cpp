// Chord structure: chords pulled onto one onset with one set of tuplet bits,
// the chord-member flags, the sounding-note table across strands and
// channels, the strands left alone (case tables), the cursor step, progress
// and cancel, and a randomised run that must end cleanly on any arrangement.

#include "notation/chord_structure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/track_operations.h"
#include "markers/marker_events.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

std::string oneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

// The track with its channel mask and every note measured, as the steps
// before would leave it; strands and flags come from the text.
MidiTrack prepared(const std::string& text) {
    MidiTrack track = trackFromText(oneLine(text));
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
        EXPECT_EQ(trackText(track, true), oneLine(c["out"]));
    }
}

const char* const kSpreadChord =
    "0 KQVLBAR, 0 on 0 60 [s0 f4000], 2 on 0 64 [s0 f4000], 3 on 0 67 [s0 f4000], 96 off 0 60, "
    "98 off 0 64, 99 off 0 67, 192 on 0 72 [s0 f4000], 288 off 0 72, 384 KQVLBAR";

TEST(ChordStructure, aligning_a_chord_reports_the_move_and_stands_on_the_leader) {
    MidiTrack track = prepared(kSpreadChord);
    TrackCursor cursor(track);
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

TEST(ChordStructure, the_step_reports_each_strand_and_ends_with_a_blank_detail_line) {
    FakeHost host;
    TrackSet set;
    set.appendTrack(prepared(kSpreadChord));
    set.appendTrack(prepared(kSpreadChord));
    // The middle record names a track that does not exist: skipped, not reported.
    EXPECT_TRUE(confirmChords(set, {{0, 0, 0, {}}, {7, 9, 0, {}}, {0, 1, 0, {}}}, host.progress));
    EXPECT_EQ(host.stepCaptions(), std::vector<std::string>{"Confirming chord structure..."});
    EXPECT_EQ(host.detailTexts(),
              (std::vector<std::string>{"Strand 1 of 3", "Strand 1 of 3", "Strand 1 of 3", " "}));
    ASSERT_FALSE(host.reports().empty());
    EXPECT_EQ(host.reports().back().line, 2);
    EXPECT_EQ(host.reports().back().percent, 0);
    for (MidiTrack& track : set.tracks)
        EXPECT_EQ(trackText(track).substr(0, 42), "0 KQVLBAR, 0 on 0 60, 0 on 0 64, 0 on 0 67");
}

TEST(ChordStructure, a_cancel_stops_the_step_between_strands) {
    FakeHost host;
    host.cancelAtDetail("Strand 2 of 2");
    TrackSet set;
    set.appendTrack(prepared(kSpreadChord));
    std::string second = kSpreadChord;
    for (size_t at; (at = second.find("s0")) != std::string::npos;) second[at + 1] = '1';
    set.appendTrack(prepared(second));
    const std::string untouched = trackText(set.tracks[1], true);
    EXPECT_TRUE(confirmChords(set, {{0, 0, 0, {}}, {1, 1, 0, {}}}, host.progress));
    EXPECT_EQ(trackText(set.tracks[0]).substr(0, 42), "0 KQVLBAR, 0 on 0 60, 0 on 0 64, 0 on 0 67");
    EXPECT_EQ(trackText(set.tracks[1], true), untouched);
}

// Strand 0 on channel 0 (some notes triplets) among notes of channel 1 and bar
// markers: only whole notes are removed, members inside a leader's length
// start with it with its bits, and a second run changes nothing.
TEST(ChordStructure, random_arrangements_keep_the_track_well_formed) {
    std::mt19937 random(20261206);
    size_t members = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::pair<int64_t, std::string>> items;
        int64_t t = 0;
        for (int i = 0, n = 1 + int(random() % 60); i < n; ++i) {
            t += random() % 3 == 0 ? 0 : random() % 40;
            const int channel = random() % 4 == 0 ? 1 : 0;
            const std::string note = std::to_string(channel) + " " + std::to_string(40 + i);
            const std::string flags = random() % 3 == 0 ? "f4023" : "f4000";
            items.push_back({t, "on " + note + " [s" + std::to_string(channel) + " " + flags + "]"});
            items.push_back({t + 1 + int64_t(random() % 120), "off " + note});
            if (random() % 16 == 0) items.push_back({t, "KQVLBAR"});
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string text;
        for (const auto& [time, what] : items) text += std::to_string(time) + " " + what + ", ";
        MidiTrack track = prepared(text);
        const auto notes = [&track](bool on) {
            return std::count_if(track.begin(), track.end(), [on](const MidiEvent& e) {
                return on ? isNoteOnCombined(e) : isNoteOffCombined(e);
            });
        };
        const auto ons = notes(true);
        const auto offs = notes(false);
        EXPECT_EQ(confirmStrandChords(track, 0, 0, true), track.usesChannel(0) ? 0 : -1);
        EXPECT_EQ(ons - notes(true), offs - notes(false));
        int64_t time = 0, leaderTime = 0, leaderEnd = -1;
        uint16_t leaderMarks = 0;
        for (const MidiEvent& e : track.events) {
            time += e.time;
            EXPECT_FALSE(e.message.isDeletedMarker());
            if (e.strand != 0 || !isNoteOnCombined(e)) continue;
            if (!e.testFlags(flag::ChordMember)) {
                leaderTime = time;
                leaderEnd = time + e.duration2;
                leaderMarks = e.flags & flag::RhythmMarks;
            } else if (time < leaderEnd) {
                EXPECT_EQ(time, leaderTime);
                EXPECT_EQ(e.flags & flag::RhythmMarks, leaderMarks);
                ++members;
            }
        }
        const std::string once = trackText(track, true);
        confirmStrandChords(track, 0, 0, true);
        EXPECT_EQ(trackText(track, true), once);
    }
    EXPECT_GT(members, 1000u);
}

}  // namespace
}  // namespace vl::test
