// Bar groups: the sounding-note table, the group writer (order, deltas, strands,
// chord-member flags) and the removal of groups from a track.

#include "markers/bar_groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/track_text.h"
#include "markers/meta_markers.h"
#include "support/track_listing.h"

namespace vl {
namespace {

using test::describe;
using test::listTrack;
using test::noteOff;
using test::noteOn;
using test::Timed;
using test::timeSig;
using test::TrackBuilder;
using test::trackText;
using test::trackFromText;

// One written event: its delta, text, strand and chord-member flag.
struct Written {
    uint32_t delta;
    std::string what;
    int strand;
    bool chordMember;
    bool operator==(const Written&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Written& w) {
    return os << "{" << w.delta << ", \"" << w.what << "\", " << w.strand << ", "
              << w.chordMember << "}";
}

std::vector<Written> written(const EventList& group) {
    std::vector<Written> out;
    for (const MidiEvent& e : group)
        out.push_back({e.time, describe(e.message), e.strand, e.testFlags(flag::ChordMember)});
    return out;
}

TEST(SoundingNotes, TracksNotesAndCount) {
    SoundingNotes notes;
    EXPECT_FALSE(notes.anySounding());
    notes.markSounding(60, 3, 7);
    notes.markSounding(60, 3, 8);  // again: still one note, the strand updated
    notes.markSounding(61, 0, -1);  // no strand yet, but sounding
    EXPECT_EQ(notes.count(), 2u);
    EXPECT_TRUE(notes.isSounding(60, 3));
    EXPECT_EQ(notes.strandOf(60, 3), 8);
    EXPECT_TRUE(notes.isSounding(61, 0));
    EXPECT_EQ(notes.strandOf(61, 0), -1);
    EXPECT_EQ(notes.channelsOf(60), 0x0008);

    notes.markSounding(128, 0, 1);  // out of range: ignored
    notes.markSounding(0xFE, 0, 1);
    notes.markSounding(5, 16, 1);
    notes.markSounding(-1, 0, 1);
    EXPECT_EQ(notes.count(), 2u);
    EXPECT_FALSE(notes.isSounding(128, 0));
    EXPECT_EQ(notes.channelsOf(200), 0);

    notes.markSilent(60, 3);
    notes.markSilent(60, 3);  // already silent: count unchanged
    notes.markSilent(99, 1);
    EXPECT_EQ(notes.count(), 1u);
    EXPECT_FALSE(notes.isSounding(60, 3));
    EXPECT_EQ(notes.strandOf(60, 3), -1);

    notes.clear();
    EXPECT_EQ(notes.count(), 0u);
    EXPECT_FALSE(notes.isSounding(61, 0));
}

SoundingNotes chordAcrossBar() {
    SoundingNotes notes;
    notes.markSounding(60, 2, 1);
    notes.markSounding(72, 0, 0);
    notes.markSounding(60, 0, 0);
    notes.markSounding(40, 5, 1);
    return notes;
}

TEST(BarGroupWriter, OrderDeltasStrandsAndFlags) {
    const std::vector<Written> expected = {
        {37, "KQVLEVT 85 28", 1, false}, {0, "KQVLEVT 80 3c", 0, false},
        {0, "KQVLEVT 82 3c", 1, false},  {0, "KQVLEVT 80 48", 0, false},
        {0, "KQVLBAR", -1, false},
        {0, "KQVLEVT 95 28", 1, false},  {0, "KQVLEVT 90 3c", 0, false},
        {0, "KQVLEVT 92 3c", 1, true},   {0, "KQVLEVT 90 48", 0, true},
    };
    EXPECT_EQ(written(buildBarGroup(chordAcrossBar(), 37, barpart::All)), expected);
}

TEST(BarGroupWriter, OptionBitsChooseTheParts) {
    const SoundingNotes notes = chordAcrossBar();
    EXPECT_TRUE(buildBarGroup(notes, 5, 0).empty());

    const std::vector<Written> barOnly = {{5, "KQVLBAR", -1, false}};
    EXPECT_EQ(written(buildBarGroup(notes, 5, barpart::BarMarker)), barOnly);
    EXPECT_EQ(written(buildBarGroup(SoundingNotes(), 5, barpart::All)), barOnly);
    EXPECT_TRUE(buildBarGroup(SoundingNotes(), 5, barpart::NoteOffs | barpart::NoteOns).empty());

    const std::vector<Written> tie =
        written(buildBarGroup(notes, 9, barpart::NoteOffs | barpart::NoteOns));
    ASSERT_EQ(tie.size(), 8u);
    EXPECT_EQ(tie[0], (Written{9, "KQVLEVT 85 28", 1, false}));
    EXPECT_EQ(tie[4], (Written{0, "KQVLEVT 95 28", 1, false}));

    const std::vector<Written> onsOnly = written(buildBarGroup(notes, 11, barpart::NoteOns));
    ASSERT_EQ(onsOnly.size(), 4u);
    EXPECT_EQ(onsOnly[0].delta, 11u);
    EXPECT_EQ(onsOnly[0].what, "KQVLEVT 95 28");
}

TEST(BarGroupWriter, EveryRepeatedStrandIsFlaggedAmongManyNotes) {
    SoundingNotes notes;
    for (int key = 0; key < 128; ++key)
        for (int ch = 0; ch < 16; ++ch) notes.markSounding(key, ch, static_cast<int16_t>(key % 7));
    const EventList group = buildBarGroup(notes, 0, barpart::NoteOns);
    ASSERT_EQ(group.size(), 2048u);
    size_t flagged = 0;
    for (const MidiEvent& e : group) flagged += e.testFlags(flag::ChordMember) ? 1 : 0;
    EXPECT_EQ(flagged, 2048u - 7u);
    // Key 0 sounds on all channels with strand 0: only its first note-on is free.
    auto it = group.begin();
    EXPECT_FALSE(it->testFlags(flag::ChordMember));
    EXPECT_TRUE(std::next(it)->testFlags(flag::ChordMember));
}

TEST(BarGroupWriter, StrandFormFlagsPerChannel) {
    SoundingNotes notes;
    notes.markSounding(40, 5, 1);
    notes.markSounding(50, 3, 2);  // another strand: left out
    notes.markSounding(60, 2, 1);
    notes.markSounding(62, 5, 1);
    notes.markSounding(64, 2, 1);
    const std::vector<Written> expected = {
        {20, "KQVLEVT 85 28", 1, false}, {0, "KQVLEVT 82 3c", 1, false},
        {0, "KQVLEVT 85 3e", 1, false},  {0, "KQVLEVT 82 40", 1, false},
        {0, "KQVLEVT 95 28", 1, false},  {0, "KQVLEVT 92 3c", 1, false},
        {0, "KQVLEVT 95 3e", 1, true},   {0, "KQVLEVT 92 40", 1, true},
    };
    EXPECT_EQ(written(buildStrandBarGroup(notes, 20, 0x6, 1)), expected);
    EXPECT_EQ(written(buildStrandBarGroup(notes, 20, barpart::All, 9)),
              (std::vector<Written>{{20, "KQVLBAR", -1, false}}));
}

TEST(BarGroupRemove, KeepsRealNoteOffBeforeTheBar) {
    // note: 60 ends on the bar line, 62 sounds across it
    MidiTrack track = trackFromText("0 on 0 60, 0 on 0 62, 384 off 0 60, 384 KQVLEVT 80 3e, "
                                    "384 KQVLBAR, 384 KQVLEVT 90 3e, 500 off 0 62");
    EXPECT_EQ(removeBarGroups(track), 1u);
    EXPECT_EQ(trackText(track), "0 on 0 60, 0 on 0 62, 384 off 0 60, 500 off 0 62");
}

TEST(BarGroupRemove, OnlyTheGroupsOwnProprietaryNotesGo) {
    MidiTrack track = TrackBuilder()
                          .marker(0, "KQVLBAR")  // first event, delta 0
                          .at(0, noteOn(1, 60))
                          .marker(100, "KQVLEVT 81 3c")  // a tie piece without bar: stays
                          .marker(100, "KQVLEVT 91 3c")
                          .marker(384, "KQVLEVT 91 40")  // note-on before the bar: stays
                          .marker(384, "KQVLEVT 81 3c")
                          .marker(384, "KQVLBAR")
                          .marker(384, "KQVLEVT 81 41")  // note-off after the bar: stays
                          .at(384, timeSig(3, 2))
                          .marker(384, "KQVLEVT 91 3c")
                          .at(400, noteOff(1, 60))
                          .take();
    EXPECT_EQ(removeBarGroups(track), 2u);
    EXPECT_EQ(trackText(track),
              "0 on 1 60, 100 KQVLEVT 81 3c, 100 KQVLEVT 91 3c, 384 KQVLEVT 91 40, "
              "384 KQVLEVT 81 41, 384 TS 3 2, 400 off 1 60");
}

TEST(BarGroupRemove, TwoBarMarkersOnOneTickAndALoneLastBar) {
    MidiTrack track = TrackBuilder()
                          .at(0, noteOn(0, 60))
                          .marker(96, "KQVLEVT 80 3c")
                          .marker(96, "KQVLBAR")
                          .marker(96, "KQVLEVT 90 3c")
                          .marker(96, "KQVLEVT 80 3c")
                          .marker(96, "KQVLBAR")
                          .marker(96, "KQVLEVT 90 3c")
                          .at(200, noteOff(0, 60))
                          .marker(384, "KQVLBAR")  // a whole tick group, last in the track
                          .take();
    EXPECT_EQ(removeBarGroups(track), 3u);
    EXPECT_EQ(listTrack(track), (std::vector<Timed>{{0, "on 0 60"}, {200, "off 0 60"}}));
}

TEST(BarGroupRemove, UndoesWrittenGroups) {
    MidiTrack track = trackFromText("0 on 0 60, 0 on 3 67, 300 on 0 64, 400 off 0 60, "
                                    "900 off 0 64, 900 off 3 67");
    const std::vector<Timed> before = listTrack(track);
    SoundingNotes notes;
    notes.markSounding(60, 0, 0);
    notes.markSounding(67, 3, 1);
    notes.markSounding(64, 0, 0);
    // Link groups at 384 (before the note-off at 400) and 768 (before 900).
    auto at400 = std::next(track.begin(), 3);
    EventList g1 = buildBarGroup(notes, 0, barpart::All);
    ASSERT_EQ(g1.size(), 7u);
    EXPECT_NE(track.insertRunBefore(at400, 16, g1), track.end());
    notes.markSilent(60, 0);
    auto at900 = std::prev(track.end(), 2);
    EventList g2 = buildBarGroup(notes, 0, barpart::All);
    ASSERT_EQ(g2.size(), 5u);
    EXPECT_NE(track.insertRunBefore(at900, 132, g2), track.end());
    const std::vector<Timed> withGroups = listTrack(track);
    EXPECT_EQ(withGroups[3], (Timed{384, "KQVLEVT 80 3c"}));
    EXPECT_EQ(withGroups.back(), (Timed{900, "off 3 67"}));

    EXPECT_EQ(removeBarGroups(track), 2u);
    EXPECT_EQ(listTrack(track), before);
}

}  // namespace
}  // namespace vl
