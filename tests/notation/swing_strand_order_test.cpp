// The swing step over a list of strands leaves the bars it passes to the last
// strand walk of each track. These tests compare the step with walking every
// strand on its own with a full assessment of every bar (the plain definition)
// on random multi-strand tracks: every event must come out the same, down to
// its durations and flags. And a cancel stops the walk where it reaches the host.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/duration_assessment.h"
#include "analysis/quantisation_settings.h"
#include "markers/marker_text.h"
#include "notation/strand_notes.h"
#include "notation/triplets_and_swing.h"
#include "session/progress_reporter.h"
#include "support/fake_host.h"
#include "support/track_listing.h"

namespace vl {
namespace {

constexpr uint32_t kDivision = 96;
constexpr int64_t kBar = 4 * kDivision;

using Note = test::StrandNote;

MidiTrack trackOf(const std::vector<Note>& notes) { return test::strandTrack(notes, kDivision); }

// Jittered lines of `strands` strands on two channels; keys repeat within a
// strand so that a late note may be pulled back over its predecessor's end.
std::vector<Note> randomNotes(std::mt19937& rng, int16_t firstStrand, int strands, int bars) {
    std::vector<Note> notes;
    for (int s = 0; s < strands; ++s) {
        const int16_t strand = static_cast<int16_t>(firstStrand + s);
        const uint8_t channel = static_cast<uint8_t>(s % 2);
        int64_t t = static_cast<int64_t>(rng() % 12);
        while (t < bars * kBar) {
            const int64_t length = 6 + static_cast<int64_t>(rng() % 60);
            const uint8_t key = static_cast<uint8_t>(48 + 12 * s + rng() % 3);
            uint16_t flags = 0;
            if (rng() % 6 == 0) flags |= flag::Triplet;
            if (rng() % 5 == 0) flags |= flag::ChordMember;
            notes.push_back({t, t + length, key, flags, strand, channel});
            t += 12 + static_cast<int64_t>(rng() % 40) - 6;
            t = std::max<int64_t>(t, notes.back().on + 1);
        }
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Note& a, const Note& b) { return a.on < b.on; });
    return notes;
}

// Everything the step may change in an event.
struct EventState {
    int64_t time;
    std::string message;
    uint16_t flags;
    int16_t strand;
    uint16_t duration1;
    uint16_t duration2;
    bool operator==(const EventState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const EventState& e) {
    return os << "{" << e.time << " " << e.message << " flags 0x" << std::hex << e.flags
              << std::dec << " strand " << e.strand << " d " << e.duration1 << "/" << e.duration2
              << "}";
}

std::vector<EventState> stateOf(const MidiTrack& track) {
    std::vector<EventState> out;
    int64_t t = 0;
    for (const MidiEvent& e : track.events) {
        t += e.time;
        out.push_back({t, test::describe(e.message), e.flags, e.strand, e.duration1, e.duration2});
    }
    return out;
}

// The plain definition: each strand record in turn, every bar assessed again.
void swingStrandByStrand(TrackSet& set, const std::vector<Strand>& strands) {
    ProgressReporter quiet;
    for (const Strand& s : strands) {
        if (s.trackIndex >= set.size()) continue;
        ASSERT_TRUE(analyseStrandSwing(set.tracks[s.trackIndex], static_cast<int16_t>(s.number),
                                       quiet));
    }
}

TEST(SwingStrandOrder, StepEqualsStrandByStrandWalks) {
    std::mt19937 rng(6122026);
    size_t moved = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        TrackSet step;
        step.division = kDivision;
        // Two tracks; the strand list interleaves them, names a strand twice
        // and one of a track that does not exist.
        step.appendTrack(trackOf(randomNotes(rng, 0, 3, 6)));
        step.appendTrack(trackOf(randomNotes(rng, 3, 2, 5)));
        TrackSet plain = step;
        const std::vector<Strand> strands = {{0, 0, 0, {}}, {3, 1, 1, {}}, {1, 0, 1, {}},
                                             {4, 1, 0, {}}, {2, 0, 0, {}}, {9, 7, 0, {}},
                                             {1, 0, 1, {}}};
        const std::vector<EventState> before = stateOf(step.tracks[0]);

        ProgressReporter quiet;
        EXPECT_EQ(analyseSwing(step, strands, QuantisationSettings(), quiet), 6);
        swingStrandByStrand(plain, strands);

        for (size_t t = 0; t < step.size(); ++t) {
            SCOPED_TRACE(t);
            ASSERT_EQ(stateOf(step.tracks[t]), stateOf(plain.tracks[t]));
        }
        if (stateOf(step.tracks[0]) != before) ++moved;
    }
    // The random tracks do give the swing pass something to move.
    EXPECT_GT(moved, 50u);
}

// ---- Cancelling a strand walk ------------------------------------------------

class SwingWalkCancel : public test::HostTest {};

TEST_F(SwingWalkCancel, CancelStopsAtTheEventWhereItsPercentageIsReported) {
    // Late notes in every bar: a walk cancelled at 50 percent leaves the
    // notes of the second half where they were.
    std::vector<Note> notes;
    for (int64_t bar = 0; bar < 8; ++bar)
        for (int64_t k = 0; k < 4; ++k) {
            const int64_t on = bar * kBar + k * kDivision + 5;
            notes.push_back({on, on + 40});
        }
    TrackSet set;
    set.division = kDivision;
    set.appendTrack(trackOf(notes));
    const std::vector<EventState> before = stateOf(set.tracks[0]);
    const size_t events = before.size();
    host.cancelFromPercent(50);
    EXPECT_EQ(analyseSwing(set, {{0, 0, 0, {}}}, QuantisationSettings(), reporter), 1);
    // The first event whose percentage reaches 50 is where the walk stopped.
    size_t stop = 0;
    while ((stop + 1) * 100 / events < 50) ++stop;
    const std::vector<EventState> after = stateOf(set.tracks[0]);
    ASSERT_EQ(after.size(), events);
    int64_t movedBefore = 0;
    int64_t movedAfter = 0;
    for (size_t i = 0; i < events; ++i) {
        if (after[i].message.rfind("on ", 0) != 0) continue;
        const bool moved = after[i].time != before[i].time;
        (i < stop ? movedBefore : movedAfter) += moved ? 1 : 0;
    }
    EXPECT_GT(movedBefore, 0);
    EXPECT_EQ(movedAfter, 0);
}

}  // namespace
}  // namespace vl
