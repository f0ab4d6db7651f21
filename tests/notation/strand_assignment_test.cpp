// Strand assignment: the chord-mate test, the strands and chord flags of small
// tracks (case tables), the strand records, progress texts and cancelling, and
// the bounds on hostile input.

#include "notation/strand_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/track_operations.h"
#include "analysis/track_set_operations.h"
#include "notation/item_text.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

constexpr std::string_view kCaption = "Assigning strands...";

TrackSet setOf(std::vector<MidiTrack> tracks) {
    TrackSet set;
    for (MidiTrack& t : tracks) set.appendTrack(std::move(t));
    computeChannelMasks(set);
    return set;
}

TrackSet setOf(const std::string& first, const std::string& second = "") {
    return setOf({trackFromText(first), trackFromText(second)});
}

ResolutionSettings settingsOf(const Case& c) {
    ResolutionSettings s;
    s.chordEndTolerance = static_cast<int32_t>(c.number("end tolerance", 100));
    s.chordStartTolerance = static_cast<int32_t>(c.number("start tolerance", 25));
    return s;
}

NoteSpan spanOf(const std::string& text) {
    NoteSpan s{};
    std::istringstream(text) >> s.start >> s.end >> s.next;
    return s;
}

TEST(StrandAssignment, chord_mates_by_ends_starts_next_onsets_and_tolerances) {
    for (const Case& c : readCases("notation/strand_chord_mate")) {
        EXPECT_EQ(isChordMate(spanOf(c["best"]), spanOf(c["candidate"]), settingsOf(c)),
                  c["mate"] == "yes")
            << where("strand_chord_mate", c);
    }
}

TEST(StrandAssignment, strands_and_chord_flags_of_small_tracks) {
    for (const Case& c : readCases("notation/strand_assignment")) {
        SCOPED_TRACE(where("strand_assignment", c));
        TrackSet set = setOf({trackFromText(c["in"])});
        std::vector<Strand> strands;
        ProgressReporter quiet;
        EXPECT_EQ(assignStrands(set, strands, quiet, kCaption, settingsOf(c)).count,
                  c.number("strands"));
        EXPECT_EQ(trackText(set.tracks[0], true), c.oneLine("out"));
        for (size_t i = 0; i < strands.size(); ++i) EXPECT_EQ(strands[i].number, i);
    }
}

TEST(StrandAssignment, records_follow_tracks_then_channels) {
    TrackSet set = setOf({trackFromText("0 on 3 60, 0 on 1 60, 48 on 1 62, 96 off 1 60, "
                                        "96 off 1 62, 96 off 3 60"),
                          MidiTrack(96), trackFromText("0 on 0 50, 96 off 0 50")});
    std::vector<Strand> strands{Strand{99, 9, 9, {}}};  // emptied first
    ProgressReporter quiet;
    ASSERT_EQ(assignStrands(set, strands, quiet, kCaption, {}).count, 4);
    EXPECT_EQ(strands, (std::vector<Strand>{{0, 0, 1, {}}, {1, 0, 1, {}}, {2, 0, 3, {}},
                                            {3, 2, 0, {}}}));
}

std::vector<std::string> strandDetailTexts(const FakeHost& host) {
    std::vector<std::string> out;
    for (const std::string& text : host.detailTexts())
        if (text.find(" - MIDI channel ") != std::string::npos) out.push_back(text);
    return out;
}

// Every attempt at a strand is reported, the one that finds no note too; a
// channel of the mask with no note-on costs one attempt.
TEST(StrandAssignment, reports_each_attempt_at_a_strand) {
    FakeHost host;
    TrackSet set = setOf("0 on 0 60, 0 on 9 36, 96 off 0 60, 96 off 9 36, 96 on 0 62, "
                         "192 off 0 62, 192 st b4 07",
                         "0 TS 3 2");
    std::vector<Strand> strands;
    EXPECT_EQ(assignStrands(set, strands, host.progress, kCaption, {}).count, 2);
    EXPECT_EQ(host.stepCaptions(), std::vector<std::string>{std::string(kCaption)});
    EXPECT_EQ(strandDetailTexts(host),
              (std::vector<std::string>{"Track 1 of 2 - MIDI channel 1 - Strand 1",
                                        "Track 1 of 2 - MIDI channel 1 - Strand 2",
                                        "Track 1 of 2 - MIDI channel 5 - Strand 2",
                                        "Track 1 of 2 - MIDI channel 10 - Strand 2",
                                        "Track 1 of 2 - MIDI channel 10 - Strand 3"}));
}

std::string melody(int notes) {
    std::string out;
    for (int i = 0; i < notes; ++i)
        out += std::to_string(i * 96) + " on 0 60, " + std::to_string(i * 96 + 90) + " off 0 60, ";
    return out;
}

TEST(StrandAssignment, a_cancel_keeps_the_strands_made_so_far_and_what_the_walk_got) {
    FakeHost atTrack;
    atTrack.cancelAtDetail("Track 2 of 2");
    TrackSet set = setOf("0 on 0 60, 48 on 0 64, 96 off 0 60, 144 off 0 64", melody(2));
    std::vector<Strand> strands;
    EXPECT_TRUE(assignStrands(set, strands, atTrack.progress, kCaption, {}).cancelled);
    EXPECT_EQ(strands, (std::vector<Strand>{{0, 0, 0, {}}, {1, 0, 0, {}}}));
    EXPECT_EQ(trackText(set.tracks[1], true), trackText(trackFromText(melody(2)), true));
    // 8 events: the cancel comes at 50 percent, the second note's note-off
    FakeHost inWalk;
    inWalk.cancelFromPercent(50);
    set = setOf(melody(4), melody(2));
    EXPECT_TRUE(assignStrands(set, strands, inWalk.progress, kCaption, {}).cancelled);
    EXPECT_EQ(strands, (std::vector<Strand>{{0, 0, 0, {}}}));
    EXPECT_EQ(trackText(set.tracks[0], true),
              "0 on 0 60 [s0 f4000], 90 off 0 60, 96 on 0 60 [s0 f4000], 186 off 0 60, "
              "192 on 0 60, 282 off 0 60, 288 on 0 60, 378 off 0 60");
}

// Every note-on first, then one note-off per key: no note has a next onset
// after its end, so each one needs a strand of its own.
MidiTrack simultaneousNotes(int notes) {
    MidiTrack track(96);
    for (int i = 0; i < notes; ++i) track.append(MidiEvent(0, noteOn(0, uint8_t(i % 128))));
    for (int key = 0; key < std::min(notes, 128); ++key)
        track.append(MidiEvent(key == 0 ? 96 : 0,
                               MidiMessage::channel(kind::NoteOff, 0, uint8_t(key), 0)));
    return track;
}

TEST(StrandAssignment, thousands_of_simultaneous_notes_stop_at_the_work_allowance) {
    constexpr int kNotes = 30000;  // a strand for every note would take about 9e8 note visits
    TrackSet set = setOf({simultaneousNotes(kNotes)});
    std::vector<Strand> strands;
    ProgressReporter quiet;
    const int32_t n = assignStrands(set, strands, quiet, kCaption, {}).count;
    ASSERT_GT(n, 100);
    ASSERT_LT(n, kNotes / 10);
    ASSERT_EQ(strands.size(), static_cast<size_t>(n));
    // The strands made are the ones of the full assignment: note k alone in strand k.
    int i = 0;
    for (const MidiEvent& e : set.tracks[0].events) {
        if (!e.message.isNoteOn()) continue;
        ASSERT_EQ(e.strand, i < n ? i : -1) << "note " << i;
        ++i;
    }
}

TEST(StrandAssignment, strand_numbers_end_at_32767) {
    // 4097 tracks of 8 notes that each need a strand of their own: 32776 strands
    std::vector<MidiTrack> tracks(4097, simultaneousNotes(8));
    TrackSet set = setOf(std::move(tracks));
    std::vector<Strand> strands;
    ProgressReporter quiet;
    ASSERT_EQ(assignStrands(set, strands, quiet, kCaption, {}).count, 32768);
    EXPECT_EQ(strands.back(), (Strand{32767, 4095, 0, {}}));
    EXPECT_EQ(std::next(set.tracks[4095].begin(), 7)->strand, 32767);
    EXPECT_FALSE(set.tracks[4096].begin()->testFlags(flag::StrandSet));
}

TEST(StrandAssignment, a_melody_costs_a_few_visits_per_note) {
    MidiTrack track = trackFromText(melody(5000));
    StrandNoteIndex index(track);
    ChannelStrandBuilder builder(index, 0, ResolutionSettings{});
    ProgressReporter quiet;
    EXPECT_TRUE(builder.buildStrand(0, quiet));
    EXPECT_FALSE(builder.buildStrand(1, quiet));
    // each note: once as a walk's start, once in the search for a better first
    // note and once in the chord test of the note before it
    EXPECT_LE(builder.work(), 3u * 5000);
}

}  // namespace
}  // namespace vl::test
