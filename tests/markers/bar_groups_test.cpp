// Bar groups: the sounding-note table, the group writer (order, deltas, strands,
// chord-member flags) and the removal of groups from a track (rows in
// tests/data/cases/bar_groups.txt).

#include "markers/bar_groups.h"

#include <gtest/gtest.h>

#include "markers/marker_cases.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

std::string joined(const std::string& value) {
    std::string out = value;
    for (char& c : out) c = c == '\n' ? ' ' : c;
    return out;
}

SoundingNotes soundingOf(const std::string& notes) {
    SoundingNotes out;
    std::istringstream in(notes);
    int key = 0, channel = 0, strand = 0;
    for (char slash = 0; in >> key >> slash >> channel >> slash >> strand;)
        out.markSounding(key, channel, static_cast<int16_t>(strand));
    return out;
}

std::string groupText(const EventList& group) {
    MidiTrack track(96);
    for (const MidiEvent& e : group) track.append(MidiEvent(e));
    return trackText(track, true);
}

TEST(BarGroups, every_case_of_the_table_gives_its_group_or_track) {
    for (const Case& c : readCases("bar_groups")) {
        SCOPED_TRACE(where("bar_groups", c));
        if (c.has("track")) {
            MidiTrack track = trackOf(joined(c["track"]));
            EXPECT_EQ(removeBarGroups(track), c.number("removed"));
            EXPECT_EQ(trackText(track), joined(c["after"]));
            continue;
        }
        const SoundingNotes notes = soundingOf(c["sounding"]);
        const auto delta = static_cast<uint32_t>(c.number("delta"));
        const auto parts = static_cast<unsigned>(c.number("parts"));
        const EventList group =
            c.has("strand") ? buildStrandBarGroup(notes, delta, parts,
                                                  static_cast<int16_t>(c.number("strand")))
                            : buildBarGroup(notes, delta, parts);
        EXPECT_EQ(groupText(group), joined(c["group"]));
    }
}

TEST(BarGroups, sounding_notes_count_each_valid_key_and_channel_once) {
    SoundingNotes notes = soundingOf("60/3/7 60/3/8 61/0/-1 128/0/1 254/0/1 5/16/1 -1/0/1");
    EXPECT_EQ(notes.count(), 2u);
    EXPECT_EQ(notes.strandOf(60, 3), 8);
    EXPECT_TRUE(notes.isSounding(61, 0));
    EXPECT_EQ(notes.strandOf(61, 0), -1);
    EXPECT_EQ(notes.channelsOf(60), 0x0008);
    EXPECT_EQ(notes.channelsOf(200), 0);
    notes.markSilent(60, 3);
    notes.markSilent(60, 3);
    notes.markSilent(99, 1);
    EXPECT_EQ(notes.count(), 1u);
    EXPECT_FALSE(notes.isSounding(60, 3));
    EXPECT_EQ(notes.strandOf(60, 3), -1);
    notes.clear();
    EXPECT_FALSE(notes.anySounding());
}

TEST(BarGroups, every_repeated_strand_is_flagged_among_many_notes) {
    SoundingNotes notes;
    for (int key = 0; key < 128; ++key)
        for (int ch = 0; ch < 16; ++ch) notes.markSounding(key, ch, static_cast<int16_t>(key % 7));
    const EventList group = buildBarGroup(notes, 0, barpart::NoteOns);
    ASSERT_EQ(group.size(), 2048u);
    size_t flagged = 0;
    for (const MidiEvent& e : group) flagged += e.testFlags(flag::ChordMember) ? 1 : 0;
    EXPECT_EQ(flagged, 2048u - 7u);
    EXPECT_FALSE(group.begin()->testFlags(flag::ChordMember));
}

}  // namespace
}  // namespace vl::test
