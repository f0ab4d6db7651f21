// Duplicate-track removal, track-length equalising and the initial delay, on
// track sets built event by event.
#include <gtest/gtest.h>

#include "analysis/track_repairs.h"
#include "support/track_text.h"
#include "midi/swing_statistics.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::cc;
using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::timeSig;
using test::TrackBuilder;
using test::trackFromText;

MidiMessage endOfTrack() { return test::metaBytes(0x2F, {}); }

// A short phrase on one channel, starting at start; tag (a controller number
// at tick 0) tells the tracks apart after removal.
MidiTrack phrase(uint8_t channel, int64_t start, uint8_t tag, uint8_t velocity = 100) {
    return TrackBuilder()
        .at(0, cc(channel, tag))
        .at(start, noteOn(channel, 60, velocity))
        .at(start + 96, noteOff(channel, 60))
        .at(start + 96, noteOn(channel, 64, velocity))
        .at(start + 192, noteOff(channel, 64))
        .at(start + 192, endOfTrack())
        .take();
}

TrackSet setOf(std::vector<MidiTrack> tracks, uint32_t division = 96) {
    TrackSet set;
    set.division = division;
    for (MidiTrack& t : tracks) set.appendTrack(std::move(t));
    return set;
}

std::vector<int> tagsOf(const TrackSet& set) {
    std::vector<int> tags;
    for (const MidiTrack& t : set.tracks) tags.push_back(t.events.front().message.data1);
    return tags;
}

struct DuplicateCase {
    const char* name;
    std::vector<MidiTrack> tracks;
    int32_t removed;
    std::vector<int> tagsLeft;
};

TEST(DuplicateTracks, removes_later_tracks_that_repeat_an_earlier_ones_notes) {
    MidiTrack withOtherEvents = phrase(0, 0, 13);
    withOtherEvents.append(MidiEvent(0, cc(0, 7, 90)));
    MidiTrack oneNoteMore = phrase(0, 0, 14);
    oneNoteMore.append(MidiEvent(0, noteOn(0, 67)));
    MidiTrack offAsOn = TrackBuilder()
                            .at(0, cc(0, 15))
                            .at(0, noteOn(0, 60))
                            .at(96, noteOn(0, 60, 0))  // a note-off in note-on form
                            .at(96, noteOn(0, 64))
                            .at(192, noteOff(0, 64))
                            .take();
    std::vector<DuplicateCase> cases;
    cases.push_back({"three identical tracks", {phrase(0, 0, 1), phrase(0, 0, 2), phrase(0, 0, 3)},
                     2, {1}});
    cases.push_back({"other channel and velocity", {phrase(0, 0, 1), phrase(5, 0, 2, 40)}, 1, {1}});
    cases.push_back({"same notes at other times", {phrase(0, 0, 1), phrase(0, 48, 2)}, 0, {1, 2}});
    cases.push_back({"other events are not compared", {phrase(0, 0, 1), std::move(withOtherEvents)},
                     1, {1}});
    cases.push_back({"a note more", {phrase(0, 0, 1), std::move(oneNoteMore)}, 0, {1, 14}});
    cases.push_back({"note-off kind compared", {phrase(0, 0, 1), std::move(offAsOn)}, 0, {1, 15}});
    cases.push_back({"duplicate of a later original",
                     {phrase(0, 0, 1), phrase(0, 48, 2), phrase(3, 48, 3), phrase(0, 0, 4)},
                     2, {1, 2}});
    cases.push_back({"no notes at all", {trackFromText("0 st b0 01"),
                                         trackFromText("0 st b0 02, 50 st b0 09")},
                     1, {1}});
    for (DuplicateCase& c : cases) {
        TrackSet set = setOf(std::move(c.tracks));
        EXPECT_EQ(removeDuplicateTracks(set), c.removed) << c.name;
        EXPECT_EQ(tagsOf(set), c.tagsLeft) << c.name;
    }
}

TEST(TrackLengths, equalising_moves_only_the_early_end_of_track_events) {
    MidiTrack shortTrack =
        TrackBuilder().at(0, noteOn(0, 60)).at(480, noteOff(0, 60)).at(960, endOfTrack()).take();
    MidiTrack longTrack =
        TrackBuilder().at(0, noteOn(1, 60)).at(1800, noteOff(1, 60)).at(1920, endOfTrack()).take();
    MidiTrack noEnd = trackFromText("0 on 2 60, 700 off 2 60");
    TrackSet set = setOf({shortTrack, longTrack, noEnd});
    const auto longBefore = listTrack(set.tracks[1]);
    const auto noEndBefore = listTrack(set.tracks[2]);
    EXPECT_EQ(trackLength(set.tracks[0]), 960);
    EXPECT_EQ(trackLength(set.tracks[2]), 700);

    EXPECT_EQ(equaliseTrackLengths(set), 1920);

    auto expected = listTrack(shortTrack);
    expected.back().time = 1920;
    EXPECT_EQ(listTrack(set.tracks[0]), expected);
    EXPECT_EQ(listTrack(set.tracks[1]), longBefore);
    EXPECT_EQ(listTrack(set.tracks[2]), noEndBefore);
}

TEST(TrackLengths, a_track_without_end_of_track_can_set_the_length) {
    TrackSet set = setOf({TrackBuilder().at(0, noteOn(0, 60)).at(96, endOfTrack()).take(),
                          trackFromText("0 on 0 60, 500 off 0 60")});
    EXPECT_EQ(equaliseTrackLengths(set), 500);
    EXPECT_EQ(trackLength(set.tracks[0]), 500);
}

TEST(InitialDelay, beat_length_for_each_denominator_power) {
    const uint32_t expected[] = {384, 192, 96, 48, 24, 12, 6, 6, 6};
    for (uint8_t dd = 0; dd < 9; ++dd) EXPECT_EQ(beatLength(96, dd), expected[dd]) << int(dd);
    EXPECT_EQ(beatLength(0, 2), 0u);
}

struct DelayCase {
    const char* name;
    std::vector<std::pair<int64_t, MidiMessage>> firstTrack;
    int64_t otherTrackNote;  // -1: no second track
    int64_t delay;
};

TEST(InitialDelay, from_the_first_note_or_the_time_signature_grid) {
    const std::vector<DelayCase> cases = {
        {"first note inside the first beat", {{48, noteOn(0, 60)}}, -1, 48},
        {"first note on the beat", {{96, noteOn(0, 60)}}, -1, 0},
        {"another track starts earlier", {{80, noteOn(0, 60)}}, 30, 30},
        {"no note at all: the track's length counts", {{20, cc(1)}}, -1, 20},
        {"signature inside the first bar only", {{0, timeSig(3, 2)}, {40, noteOn(0, 60)}}, -1,
         40},
        // grid: 4/4 at 0 is the starting one; 3/4 at 432 lies 48 after a bar line
        {"grid offset of the second signature",
         {{0, timeSig(4, 2)}, {200, noteOn(0, 60)}, {432, timeSig(3, 2)}}, -1, 48},
        // grid offset 48 is after the first note at 40: the music started a bar earlier
        {"grid offset after the first note",
         {{0, timeSig(4, 2)}, {40, noteOn(0, 60)}, {432, timeSig(3, 2)}}, -1, 48 - 384},
        // 730 is 10 past the 3/4 grid: inconsistent, the first note is no longer in the first beat
        {"later signature off the grid",
         {{0, timeSig(4, 2)}, {200, noteOn(0, 60)}, {432, timeSig(3, 2)}, {730, timeSig(2, 2)}},
         -1, 0},
        {"off the grid, fallback to an early first note",
         {{0, timeSig(4, 2)}, {50, noteOn(0, 60)}, {432, timeSig(3, 2)}, {730, timeSig(2, 2)}},
         -1, 50},
        // no signature at the start: the first one met is already beyond the 4/4 bar
        {"first signature beyond a bar", {{120, noteOn(0, 60)}, {500, timeSig(3, 2)}}, -1, 116},
        // a 3/4 start shortens the reach: 2/4 at 300 is beyond it (r = 300 mod 288)
        {"reach follows the starting signature",
         {{0, timeSig(3, 2)}, {100, noteOn(0, 60)}, {300, timeSig(2, 2)}}, -1, 12},
    };
    for (const DelayCase& c : cases) {
        TrackBuilder b;
        for (const auto& [t, m] : c.firstTrack) b.at(t, m);
        std::vector<MidiTrack> tracks{b.take()};
        if (c.otherTrackNote >= 0)
            tracks.push_back(TrackBuilder().at(c.otherTrackNote, noteOn(1, 50)).take());
        const TrackSet set = setOf(std::move(tracks));
        EXPECT_EQ(computeInitialDelay(set), c.delay) << c.name;
    }
}

TEST(InitialDelay, no_tracks_or_no_division_gives_no_delay) {
    EXPECT_EQ(computeInitialDelay(TrackSet{}), 0);
    TrackSet set = setOf({trackFromText("0 TS 4 2, 10 on 0 60, 500 TS 3 2")},
                         0);
    EXPECT_EQ(computeInitialDelay(set), 0);
}

TEST(InitialDelay, removal_collapses_the_start_and_moves_the_rest) {
    MidiTrack track = TrackBuilder()
                          .at(0, cc(1))
                          .at(20, cc(2))
                          .at(48, noteOn(0, 60))
                          .at(96, noteOff(0, 60))
                          .at(150, endOfTrack())
                          .take();
    MidiTrack early = trackFromText("10 st b0 03, 30 st b0 04");
    TrackSet set = setOf({track, early});
    removeInitialDelay(set, 48);
    const std::vector<int64_t> times{0, 0, 0, 48, 102};
    const auto listed = listTrack(set.tracks[0]);
    ASSERT_EQ(listed.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(listed[i].time, times[i]) << i;
    for (const auto& entry : listTrack(set.tracks[1])) EXPECT_EQ(entry.time, 0);
}

TEST(InitialDelay, removal_of_nothing_or_a_negative_delay_moves_nothing) {
    TrackSet set = setOf({phrase(0, 30, 1)});
    const auto before = listTrack(set.tracks[0]);
    removeInitialDelay(set, 0);
    removeInitialDelay(set, -100);
    EXPECT_EQ(listTrack(set.tracks[0]), before);
}

TEST(InitialDelay, removal_gathers_the_swing_statistics_again) {
    // note-ons on odd sixteenths (24 ticks at division 96) land on even ones
    TrackSet set = setOf({trackFromText("24 on 0 60, 72 on 0 62, 120 on 0 64")});
    computeSwingStatistics(set.tracks[0]);
    const SwingStatistics before = set.tracks[0].swing;
    removeInitialDelay(set, 24);
    MidiTrack fresh = set.tracks[0];
    computeSwingStatistics(fresh);
    EXPECT_EQ(set.tracks[0].swing.count, fresh.swing.count);
    EXPECT_NE(set.tracks[0].swing.count, before.count);
}

}  // namespace
}  // namespace vl
