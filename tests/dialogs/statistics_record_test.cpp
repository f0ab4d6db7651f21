// The statistics record of a track set: whole-tick grids by division, grid
// fits of the onset intervals, presence bits of the first track and the swing
// figures in entries 17 to 28.
#include "dialogs/statistics_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "markers/marker_text.h"
#include "midi/midi_message.h"

namespace vl {
namespace {

using Fits = std::array<int32_t, kGridCount>;
constexpr int32_t N = statistics::NoFit;

MidiEvent noteOn(uint32_t delta, uint8_t key = 60, uint8_t velocity = 100) {
    return MidiEvent(delta, MidiMessage::channel(kind::NoteOn, 0, key, velocity));
}
MidiEvent noteOff(uint32_t delta, uint8_t key = 60) {
    return MidiEvent(delta, MidiMessage::channel(kind::NoteOff, 0, key, 0));
}
MidiEvent proprietaryNote(uint32_t delta, bool on, uint8_t key = 62) {
    return MidiEvent(delta, proprietaryNoteMessage(on, 0, key));
}
MidiEvent realMeta(uint32_t delta, uint8_t type) {
    static const uint8_t bytes[4] = {0x07, 0xA1, 0x20, 0x08};
    return MidiEvent(delta, type, type == meta::KeySignature ? 2 : type == meta::Tempo ? 3 : 4,
                     bytes);
}

MidiTrack trackOf(uint32_t division, const std::vector<MidiEvent>& events) {
    MidiTrack t(division);
    for (const MidiEvent& e : events) t.append(e);
    return t;
}

// One track with a note-on at each absolute tick given.
MidiTrack onsetsAt(uint32_t division, const std::vector<uint32_t>& ticks) {
    MidiTrack t(division);
    uint32_t previous = 0;
    for (uint32_t tick : ticks) {
        t.append(noteOn(tick - previous));
        previous = tick;
    }
    return t;
}

TrackSet setOf(uint32_t division, std::vector<MidiTrack> tracks) {
    TrackSet set;
    set.division = division;
    for (MidiTrack& t : tracks) set.appendTrack(std::move(t));
    return set;
}

StatisticsValues computed(const TrackSet& set) {
    StatisticsValues v;
    v.fill(12345);
    EXPECT_TRUE(computeStatistics(set, v));
    return v;
}

Fits straightOf(const StatisticsValues& v) {
    Fits f{};
    for (size_t i = 0; i < kGridCount; ++i) f[i] = v[statistics::StraightFits + i];
    return f;
}
Fits tripletOf(const StatisticsValues& v) {
    Fits f{};
    for (size_t i = 0; i < kGridCount; ++i) f[i] = v[statistics::TripletFits + i];
    return f;
}

TEST(StatisticsGrids, WholeTickGridsByDivision) {
    struct Case {
        uint32_t division;
        GridTicks straight;
        GridTicks triplet;
    } cases[] = {
        {96, {768, 384, 192, 96, 48, 24, 12, 6}, {256, 128, 64, 32, 16, 8, 4, 2}},
        // D/16 = 7.5 is no whole tick, and so neither is its triplet
        {120, {960, 480, 240, 120, 60, 30, 15, 0}, {320, 160, 80, 40, 20, 10, 5, 0}},
        // not a multiple of 3: no triplet grid at all, though 800 / 3 would be 266
        {100, {800, 400, 200, 100, 50, 25, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {1, {8, 4, 2, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0xFFFFFFFF, {8 * 0xFFFFFFFFll, 4 * 0xFFFFFFFFll, 2 * 0xFFFFFFFFll, 0xFFFFFFFFll, 0, 0, 0,
                      0},
         {8 * 0x55555555ll, 4 * 0x55555555ll, 2 * 0x55555555ll, 0x55555555ll, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(straightGrids(c.division), c.straight) << c.division;
        EXPECT_EQ(tripletGrids(c.division), c.triplet) << c.division;
    }
}

TEST(StatisticsGridFits, IntervalsAgainstEachGrid) {
    struct Case {
        const char* name;
        uint32_t division;
        std::vector<uint32_t> onsets;
        Fits straight;
        Fits triplet;
    } cases[] = {
        // intervals 96, 48, 24
        {"division 96", 96, {96, 192, 240, 264},
         {0, 0, 0, 333, 666, 1000, 1000, 1000}, {0, 0, 0, 333, 666, 1000, 1000, 1000}},
        // intervals 120, 60, 30; the 1/64 grid and its triplet are -1
        {"division 120", 120, {120, 240, 300, 330},
         {0, 0, 0, 333, 666, 1000, 1000, N}, {0, 0, 0, 333, 666, 1000, 1000, N}},
        // intervals 100, 50, 25; no triplet grid
        {"division 100", 100, {100, 200, 250, 275},
         {0, 0, 0, 333, 666, 1000, N, N}, {N, N, N, N, N, N, N, N}},
        // intervals 768 and 32: the whole-bar grid fits one of two
        {"long and triplet", 96, {96, 864, 896},
         {500, 500, 500, 500, 500, 500, 500, 500}, {500, 500, 500, 1000, 1000, 1000, 1000, 1000}},
        {"one onset", 96, {96}, {N, N, N, N, N, N, N, N}, {N, N, N, N, N, N, N, N}},
        // the onset at tick 0 starts no interval: only 96 -> 100 is counted
        {"from tick 0", 96, {0, 96, 100},
         {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 1000, 1000}},
        {"no onsets", 96, {}, {N, N, N, N, N, N, N, N}, {N, N, N, N, N, N, N, N}},
        {"division 0", 0, {10, 20, 30}, {N, N, N, N, N, N, N, N}, {N, N, N, N, N, N, N, N}},
    };
    for (const Case& c : cases) {
        const StatisticsValues v = computed(setOf(c.division, {onsetsAt(c.division, c.onsets)}));
        EXPECT_EQ(straightOf(v), c.straight) << c.name;
        EXPECT_EQ(tripletOf(v), c.triplet) << c.name;
    }
}

TEST(StatisticsGridFits, AllOnsetsOnOneTickGiveNoFit) {
    // a chord on tick 96 in two tracks: every interval would be 0
    const TrackSet set = setOf(96, {trackOf(96, {noteOn(96, 60), noteOn(0, 64), noteOn(0, 67),
                                                 noteOff(96, 60)}),
                                    trackOf(96, {noteOn(96, 48), noteOff(48, 48)})});
    const StatisticsValues v = computed(set);
    EXPECT_EQ(straightOf(v), (Fits{N, N, N, N, N, N, N, N}));
    EXPECT_EQ(tripletOf(v), (Fits{N, N, N, N, N, N, N, N}));
}

TEST(StatisticsGridFits, IntervalsAreCountedWithinEachTrack) {
    // onsets 96 and 144 in different tracks make no interval; within track 2,
    // 144 -> 240 is one interval of 96, and a chord on 240 adds nothing
    const TrackSet set = setOf(96, {onsetsAt(96, {96}), onsetsAt(96, {144, 240, 240})});
    const StatisticsValues v = computed(set);
    EXPECT_EQ(straightOf(v), (Fits{0, 0, 0, 1000, 1000, 1000, 1000, 1000}));
}

TEST(StatisticsGridFits, OnlyNoteOnsCountAsOnsets) {
    struct Case {
        const char* name;
        std::vector<MidiEvent> events;
        Fits straight;
    } cases[] = {
        // note-offs, velocity-0 note-ons and proprietary note-offs between two onsets 96 apart
        {"not onsets",
         {noteOn(96), noteOff(40), noteOn(10, 64, 0), proprietaryNote(5, false), noteOn(41)},
         {0, 0, 0, 1000, 1000, 1000, 1000, 1000}},
        // a proprietary note-on 48 after a real one
        {"proprietary note-on", {noteOn(96), proprietaryNote(48, true)},
         {0, 0, 0, 0, 1000, 1000, 1000, 1000}},
        {"proprietary note-ons only", {proprietaryNote(96, true), proprietaryNote(24, true)},
         {0, 0, 0, 0, 0, 1000, 1000, 1000}},
    };
    for (const Case& c : cases) {
        const StatisticsValues v = computed(setOf(96, {trackOf(96, c.events)}));
        EXPECT_EQ(straightOf(v), c.straight) << c.name;
    }
}

TEST(StatisticsPresence, RealSignaturesAndTempoOfTheFirstTrack) {
    using namespace presence;
    const MidiEvent tempoMarker(0, MidiMessage::markerText(tempoMarkerText(7, 0xA1, 0x20)));
    const MidiEvent timeMarker(0, timeSignatureMarkerMessage(4, 2, 24, 8));
    const MidiEvent keyMarker(0, keySignatureMarkerMessage(1, 0));
    struct Case {
        const char* name;
        std::vector<MidiEvent> first;
        std::vector<MidiEvent> second;
        int32_t bits;
    } cases[] = {
        {"tempo at 0 and 960", {realMeta(0, meta::Tempo), realMeta(960, meta::Tempo)}, {},
         TempoAtStart | TempoLater},
        {"the same in track 2", {noteOn(0)},
         {realMeta(0, meta::Tempo), realMeta(960, meta::Tempo)}, 0},
        {"time at 0, key later",
         {realMeta(0, meta::TimeSignature), noteOn(1), realMeta(479, meta::KeySignature)}, {},
         TimeSignatureAtStart | KeySignatureLater},
        {"everything",
         {realMeta(0, meta::TimeSignature), realMeta(0, meta::KeySignature),
          realMeta(0, meta::Tempo), realMeta(1, meta::TimeSignature),
          realMeta(0, meta::KeySignature), realMeta(0, meta::Tempo)},
         {}, 0x3F},
        {"meta markers do not count",
         {tempoMarker, timeMarker, keyMarker, MidiEvent(96, keySignatureMarkerMessage(2, 0))}, {},
         0},
        {"other meta events", {realMeta(0, meta::SmpteOffset), realMeta(5, meta::EndOfTrack)},
         {}, 0},
    };
    for (const Case& c : cases) {
        const TrackSet set = setOf(96, {trackOf(96, c.first), trackOf(96, c.second)});
        EXPECT_EQ(computed(set)[statistics::Presence], c.bits) << c.name;
    }
}

TEST(StatisticsSwing, FiguresFillEntries17To28ByClass) {
    MidiTrack t(96);
    // class 1: offsets 10, 12, 14 -> mean 12, 440 / 3 - 144 = 2, deviation 2
    t.swing.count = {1, 3, 2, 0};
    t.swing.offsetSum = {5, 36, 8, 0};
    t.swing.offsetSquares = {25, 440, 40, 0};
    const StatisticsValues v = computed(setOf(96, {std::move(t)}));
    EXPECT_EQ(std::vector<int32_t>(v.begin() + 17, v.end()),
              (std::vector<int32_t>{1, 3, 2, 0, 5, 12, 4, 0, 0, 2, 2, 0}));
}

}  // namespace
}  // namespace vl
