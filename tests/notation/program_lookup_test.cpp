// The starting program of a channel: the earliest first program change over
// all tracks, the earlier track on equal times, whatever the channel masks
// of the tracks say (they only order the search).

#include "notation/program_lookup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace vl {
namespace {

// One event of a test track: delta, and a program change (channel, program)
// or, with program < 0, a note-on of the channel.
struct Ev {
    uint32_t delta;
    uint8_t channel;
    int program;
};

MidiTrack trackOf(const std::vector<Ev>& events, uint16_t mask) {
    MidiTrack track(96);
    track.channelMask = mask;
    for (const Ev& e : events) {
        const MidiMessage m = e.program < 0
                                  ? MidiMessage::channel(kind::NoteOn, e.channel, 60, 90)
                                  : MidiMessage::channel(kind::ProgramChange, e.channel,
                                                         static_cast<uint8_t>(e.program), 0);
        track.append(MidiEvent(e.delta, m));
    }
    return track;
}

// The definition, one whole track after the other.
uint8_t reference(const TrackSet& set, uint8_t channel) {
    if (channel >= 16) return kNoProgram;
    uint8_t program = kNoProgram;
    int64_t earliest = INT64_MAX;
    for (const MidiTrack& track : set.tracks) {
        int64_t time = 0;
        for (const MidiEvent& e : track.events) {
            time += e.time;
            if (e.message.isProgramChange() && e.message.channel() == channel) {
                if (time < earliest) {
                    earliest = time;
                    program = e.message.data1;
                }
                break;
            }
        }
    }
    return program;
}

TEST(ProgramOfChannel, EarliestFirstChangeWinsAndEqualTimesGoToTheEarlierTrack) {
    struct Case {
        const char* name;
        std::vector<std::vector<Ev>> tracks;
        std::vector<uint16_t> masks;
        uint8_t channel;
        uint8_t expected;
    };
    const std::vector<Case> cases = {
        {"none", {{{0, 0, -1}}}, {1}, 0, kNoProgram},
        {"channel out of range", {{{0, 0, 5}}}, {1}, 16, kNoProgram},
        {"first change of a track only", {{{0, 2, 7}, {10, 2, 9}}}, {4}, 2, 7},
        {"later track earlier", {{{50, 1, 3}}, {{10, 1, 4}}}, {2, 2}, 1, 4},
        {"equal times: earlier track", {{{10, 1, 3}}, {{10, 1, 4}}}, {2, 2}, 1, 3},
        {"equal times, only the later track has the mask", {{{10, 1, 3}}, {{10, 1, 4}}}, {0, 2},
         1, 3},
        {"unmasked track earlier", {{{0, 1, -1}, {30, 1, 3}}, {{5, 1, 8}}}, {2, 0}, 1, 8},
        {"other channel ignored", {{{0, 3, 1}}, {{20, 1, 2}}}, {8, 2}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackSet set;
        for (size_t i = 0; i < c.tracks.size(); ++i) set.appendTrack(trackOf(c.tracks[i], c.masks[i]));
        EXPECT_EQ(programOfChannel(set, c.channel), c.expected);
    }
}

TEST(ProgramOfChannel, MatchesTheDefinitionOnRandomTracksAndMasks) {
    std::mt19937 rng(1206);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        TrackSet set;
        const int trackCount = 1 + static_cast<int>(rng() % 5);
        for (int t = 0; t < trackCount; ++t) {
            std::vector<Ev> events;
            const int n = static_cast<int>(rng() % 12);
            for (int k = 0; k < n; ++k) {
                const uint8_t channel = static_cast<uint8_t>(rng() % 3);
                const int program = rng() % 3 == 0 ? static_cast<int>(rng() % 128) : -1;
                events.push_back({static_cast<uint32_t>(rng() % 3 == 0 ? 0 : rng() % 20), channel,
                                  program});
            }
            // Masks right, wrong or missing: they must not change the answer.
            set.appendTrack(trackOf(events, static_cast<uint16_t>(rng() % 8)));
        }
        for (uint8_t channel = 0; channel < 3; ++channel)
            EXPECT_EQ(programOfChannel(set, channel), reference(set, channel)) << int{channel};
    }
}

}  // namespace
}  // namespace vl
