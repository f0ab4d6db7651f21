#include "analysis/track_invariants.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "markers/marker_events.h"

namespace vl {

namespace {

std::string linkBreach(const MidiTrack& track) {
    const auto forwards =
        static_cast<size_t>(std::distance(track.events.begin(), track.events.end()));
    const auto backwards =
        static_cast<size_t>(std::distance(track.events.rbegin(), track.events.rend()));
    if (forwards == track.size() && backwards == track.size()) return {};
    return "links give " + std::to_string(forwards) + " events forwards and " +
           std::to_string(backwards) + " backwards for a size of " + std::to_string(track.size());
}

// Sounding notes per channel and key (marker notes may use keys above 127).
// A note may still sound at the end: a track may end before its note-off.
std::string pairingBreach(const MidiTrack& track) {
    std::array<std::array<bool, 256>, 16> sounding{};
    size_t index = 0;
    for (const MidiEvent& e : track.events) {
        const bool on = isNoteOnCombined(e);
        if (on || isNoteOffCombined(e)) {
            const int channel = channelOf(e);
            const int key = keyOf(e);
            bool& slot = sounding[static_cast<size_t>(channel)][static_cast<size_t>(key)];
            if (slot == on)
                return std::string(on ? "note-on of a sounding" : "note-off of a silent") +
                       " channel " + std::to_string(channel) + " key " + std::to_string(key) +
                       " at event " + std::to_string(index);
            slot = on;
        }
        ++index;
    }
    return {};
}

}  // namespace

std::string trackInvariantBreach(const MidiTrack& track) {
    std::string breach = linkBreach(track);
    return breach.empty() ? pairingBreach(track) : breach;
}

void checkTrackInvariants([[maybe_unused]] const TrackSet& tracks,
                          [[maybe_unused]] std::string_view step) {
#ifndef NDEBUG
    for (size_t t = 0; t < tracks.size(); ++t) {
        const std::string breach = trackInvariantBreach(tracks.tracks[t]);
        if (breach.empty()) continue;
        std::fprintf(stderr, "after %.*s track %zu: %s\n", static_cast<int>(step.size()),
                     step.data(), t, breach.c_str());
        std::abort();
    }
#endif
}

}  // namespace vl
