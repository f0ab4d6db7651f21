// Triplets and swing (division 96, 4/4, semiquaver grid): one strand pass on
// small tracks (case table), span values, the drivers over strand lists (the
// swing step equals strand-by-strand walks), cancelling, and random and long
// strands that must stay well formed and quick.

#include "notation/swing_quantising.h"
#include "notation/triplet_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/quantisation_settings.h"
#include "markers/marker_events.h"
#include "notation/item_text.h"
#include "support/case_file.h"
#include "support/fake_host.h"
#include "support/track_text.h"

namespace vl::test {
namespace {

MidiTrack assessed(const std::string& text, uint32_t division = 96) {
    MidiTrack track = trackFromText(text, division);
    ProgressReporter quiet;
    assessTrack(track, quiet);
    return track;
}

// Notes {on, off, key, flags, strand, channel} as text, with bar markers every
// 4/4 bar up to the last note-off; at one tick note-offs, bar marker, note-ons.
using Note = std::tuple<int64_t, int64_t, int, int, int, int>;
std::string notesText(const std::vector<Note>& notes) {
    std::vector<std::tuple<int64_t, int, std::string>> items;
    int64_t last = 0;
    for (const auto& [on, off, key, flags, strand, channel] : notes) {
        const std::string note = std::to_string(channel) + " " + std::to_string(key);
        items.emplace_back(on, 2, "on " + note + " [s" + std::to_string(strand) + " f" +
                                      (std::ostringstream() << std::hex << flags).str() + "]");
        items.emplace_back(off, 0, "off " + note);
        last = std::max(last, off);
    }
    for (int64_t t = 0; t <= last; t += 384) items.emplace_back(t, 1, "KQVLBAR");
    std::stable_sort(items.begin(), items.end());
    std::string text;
    for (const auto& [time, rank, what] : items) text += std::to_string(time) + " " + what + ", ";
    return text;
}

QuantisationSettings semiquaverGrid(uint32_t division = 96, uint8_t swing = 0) {
    QuantisationSettings q(division, 5, 0, kQuantiseTriplets);  // plain step 24, triplet 32
    q.setSwingDetected(swing);
    return q;
}

TEST(TripletsAndSwing, one_strand_pass_on_small_tracks) {
    for (const Case& c : readCases("notation/triplets_and_swing")) {
        SCOPED_TRACE(where("triplets_and_swing", c));
        const auto division = static_cast<uint32_t>(c.number("division", 96));
        MidiTrack track = assessed(c["in"], division);
        ProgressReporter quiet;
        if (c["pass"] == "swing")
            EXPECT_FALSE(analyseStrandSwing(track, 0, quiet).cancelled);
        else
            EXPECT_FALSE(analyseStrandTriplets(
                track, 0, semiquaverGrid(division, uint8_t(c.number("swing"))), quiet).cancelled);
        EXPECT_EQ(trackText(track, true), c.oneLine("out"));
    }
}

TEST(TripletsAndSwing, span_value_is_the_note_value_of_exactly_that_length) {
    std::string values;  // ticks at division 96 or 120 (last five), 0x80 for none
    for (auto [ticks, division] : {std::pair{768, 96}, {384, 96}, {96, 96}, {48, 96}, {6, 96},
                                   {3, 96}, {60, 96}, {0, 96}, {-96, 96}, {1536, 96}, {96, 0},
                                   {15, 120}, {30, 120}, {7, 120}})
        values += std::to_string(spanValueOf(ticks, uint32_t(division))) + " ";
    EXPECT_EQ(values, "0 1 3 4 7 128 128 128 128 128 128 6 5 128 ");
}

// The steps run every strand record whose track exists; the swing step leaves
// the bars it passes to the last strand walk of each track: both must give
// what walking each strand on its own gives.
TEST(TripletsAndSwing, the_steps_equal_strand_by_strand_walks) {
    std::mt19937 rng(6122026);
    const auto randomNotes = [&rng](int firstStrand, int strands) {
        std::vector<Note> notes;
        for (int s = 0; s < strands; ++s) {
            for (int64_t t = rng() % 12; t < 6 * 384; t += 6 + rng() % 40) {
                const int flags = (rng() % 3 == 0 ? 0x20 : 0) | (rng() % 5 == 0 ? 0x80 : 0);
                notes.emplace_back(t, t + 6 + rng() % 60, 48 + 12 * s + rng() % 3, flags,
                                   firstStrand + s, s % 2);
            }
        }
        std::stable_sort(notes.begin(), notes.end());
        return notesText(notes);
    };
    for (int round = 0; round < 60; ++round) {
        TrackSet step;
        step.appendTrack(assessed(randomNotes(0, 3)));
        step.appendTrack(assessed(randomNotes(3, 2)));
        TrackSet plain = step;
        const std::vector<Strand> strands = {{0, 0, 0, {}}, {3, 1, 1, {}}, {1, 0, 1, {}},
                                             {4, 1, 0, {}}, {2, 0, 0, {}}, {9, 7, 0, {}}};
        ProgressReporter progress;
        EXPECT_EQ(analyseTriplets(step, strands, semiquaverGrid(), progress).count, 5);
        EXPECT_EQ(progress.caption(), "Analysing triplets...");
        EXPECT_EQ(analyseSwing(step, strands, semiquaverGrid(), progress).count, 5);
        EXPECT_EQ(progress.caption(), "Analysing swing rhythms...");
        for (const bool swing : {false, true}) {
            for (const Strand& s : strands) {
                if (s.trackIndex >= 2) continue;
                MidiTrack& track = plain.tracks[s.trackIndex];
                if (swing)
                    analyseStrandSwing(track, int16_t(s.number), progress);
                else
                    analyseStrandTriplets(track, int16_t(s.number), semiquaverGrid(), progress);
            }
        }
        for (size_t t = 0; t < 2; ++t)
            ASSERT_EQ(trackText(step.tracks[t], true), trackText(plain.tracks[t], true)) << round;
    }
}

using TripletsAndSwingCancel = HostTest;

TEST_F(TripletsAndSwingCancel, a_cancel_stops_the_triplet_step_within_the_strand) {
    // A rejected group early in the track and the same group three bars later.
    std::vector<Note> notes;
    for (int64_t b : {0, 3 * 384})
        for (auto [on, off, flags] : {std::tuple{24, 56, 0}, {56, 88, 0x20}, {88, 120, 0x20},
                                      {120, 192, 0}})
            notes.emplace_back(b + on, b + off, 60, flags, 0, 0);
    TrackSet set;
    set.appendTrack(assessed(notesText(notes)));
    host.cancelFromPercent(50);
    const StepResult r =
        analyseTriplets(set, {{0, 0, 0, {}}, {0, 0, 0, {}}}, semiquaverGrid(), reporter);
    EXPECT_EQ(r.count, 1);
    EXPECT_TRUE(r.cancelled);
    const std::string text = trackText(set.tracks[0], true);
    EXPECT_NE(text.find("48 on 0 60"), std::string::npos);  // the first group was moved back
    EXPECT_NE(text.find("1208 on 0 60 [s0 f20"), std::string::npos);  // the second was not reached
}

// Whatever the passes do, each key's note-ons and note-offs (in either form)
// still alternate, no deleted-event marker is left, and nothing moves beyond
// the end of the track.
TEST(TripletsAndSwing, random_strands_stay_well_formed) {
    std::mt19937 rng(20261206);
    size_t accepted = 0;
    size_t markers = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::vector<Note> notes;
        for (int key = 60; key < 64; ++key) {
            for (int64_t i = 0, t = rng() % 40; i < 12; ++i) {
                const int64_t length = 1 + rng() % 120;
                const int flags = (rng() % 2 ? 0x20 : 0) | (rng() % 5 == 0 ? 0x80 : 0);
                notes.emplace_back(t, t + length, key, flags, rng() % 2, 0);
                t += length + rng() % 50;
            }
        }
        std::stable_sort(notes.begin(), notes.end());
        MidiTrack track = assessed(notesText(notes));
        const auto endOf = [](const MidiTrack& t) {
            int64_t end = 0;
            for (const MidiEvent& e : t.events) end += e.time;
            return end;
        };
        const int64_t end = endOf(track);
        const QuantisationSettings grid = semiquaverGrid(96, rng() % 2 ? 0 : 10);
        ProgressReporter quiet;
        for (int16_t strand : {0, 1}) {
            ASSERT_FALSE(analyseStrandTriplets(track, strand, grid, quiet).cancelled);
            ASSERT_FALSE(analyseStrandSwing(track, strand, quiet).cancelled);
        }
        std::map<int, bool> sounding;
        for (const MidiEvent& e : track.events) {
            ASSERT_FALSE(e.message.isDeletedMarker());
            const bool on = isNoteOnCombined(e);
            if (!on && !isNoteOffCombined(e)) continue;
            accepted += on && (e.flags & 0x2F) > 0x20;
            markers += on && isProprietaryNoteOn(e);
            ASSERT_NE(std::exchange(sounding[keyOf(e)], on), on) << "key " << keyOf(e);
        }
        for (const auto& [key, on] : sounding) EXPECT_FALSE(on) << "key " << key;
        EXPECT_LE(endOf(track), end);
    }
    EXPECT_GT(accepted, 0u);  // the rounds reach the accepting paths, not only rejection
    EXPECT_GT(markers, 0u);
}

// Alternating accepted and rejected groups: every walk stays near its group,
// so this runs in a moment rather than in quadratic time.
TEST(TripletsAndSwing, a_long_strand_is_walked_group_by_group) {
    std::vector<Note> notes;
    for (int64_t b = 0; b < 20000 * 96; b += 192)
        for (auto [on, off, flags] : {std::tuple{0, 32, 0}, {32, 64, 0x20}, {64, 96, 0x20},
                                      {96, 120, 0}, {120, 152, 0x20}, {152, 184, 0x20}})
            notes.emplace_back(b + on, b + off, 60, flags, 0, 0);
    MidiTrack track = assessed(notesText(notes));
    ProgressReporter quiet;
    ASSERT_FALSE(analyseStrandTriplets(track, 0, semiquaverGrid(), quiet).cancelled);
    ASSERT_FALSE(analyseStrandSwing(track, 0, quiet).cancelled);
    EXPECT_EQ(std::count_if(track.begin(), track.end(),
                            [](const MidiEvent& e) { return (e.flags & 0x6F) == 0x23; }),
              30000);
}

}  // namespace
}  // namespace vl::test
