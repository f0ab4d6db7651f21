// Bar groups: the sounding-note table, the group writer (order, deltas, strands,
// chord-member flags) and the removal of groups from a track (rows in
// tests/data/cases/bar_groups.txt).

#include "markers/bar_groups.h"

#include <gtest/gtest.h>

#include "markers/marker_cases.h"
#include "support/case_file.h"

namespace vl::test {
namespace {

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
            MidiTrack track = trackOf((c["track"]));
            EXPECT_EQ(removeBarGroups(track), c.number("removed"));
            EXPECT_EQ(trackText(track), flat(c["after"]));
            continue;
        }
        const SoundingNotes notes = soundingOf(c["sounding"]);
        const auto delta = static_cast<uint32_t>(c.number("delta"));
        const auto parts = static_cast<unsigned>(c.number("parts"));
        const EventList group =
            c.has("strand") ? buildStrandBarGroup(notes, delta, parts,
                                                  static_cast<int16_t>(c.number("strand")))
                            : buildBarGroup(notes, delta, parts);
        EXPECT_EQ(groupText(group), flat(c["group"]));
    }
}

TEST(BarGroups, silenced_and_cleared_notes_are_no_longer_sounding) {
    SoundingNotes notes = soundingOf("60/3/8 61/0/-1");
    for (const auto& [key, channel] : {std::pair(60, 3), std::pair(60, 3), std::pair(99, 1)})
        notes.markSilent(key, channel);
    EXPECT_EQ(notes.count(), 1u);
    EXPECT_EQ(groupText(buildBarGroup(notes, 0, barpart::NoteOns)), "0 KQVLEVT 90 3d");
    notes.clear();
    EXPECT_FALSE(notes.anySounding());
}

}  // namespace
}  // namespace vl::test
