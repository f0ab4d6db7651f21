#pragma once
// Test helpers for marker tests: build a track from absolute times, and list a
// track as (absolute time, description) so that tests can compare a whole
// track, or its untouched events, before and after an operation.

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "midi/midi_message.h"
#include "midi/midi_track.h"

namespace vl::test {

struct Timed {
    int64_t time = 0;
    std::string what;
    bool operator==(const Timed&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Timed& t);

// Short description: marker events by their text ("KQVLBAR"), notes as
// "on c k" / "off c k", signatures as "TS nn dd" / "KS sf mi", else "st xx".
std::string describe(const MidiMessage& m);

std::vector<Timed> listTrack(const MidiTrack& track);
// The listing without the entries whose description is in drop.
std::vector<Timed> listTrackWithout(const MidiTrack& track,
                                    std::initializer_list<std::string> drop);

// Messages used throughout the marker tests.
MidiMessage noteOn(uint8_t channel, uint8_t key, uint8_t velocity = 100);
MidiMessage noteOff(uint8_t channel, uint8_t key);
MidiMessage timeSig(uint8_t nn, uint8_t dd, uint8_t cc = 24, uint8_t bb = 8);
MidiMessage keySig(uint8_t sf, uint8_t mi);
MidiMessage metaBytes(uint8_t type, std::initializer_list<uint8_t> bytes);

// Appends events at absolute times (non-decreasing).
class TrackBuilder {
public:
    TrackBuilder& at(int64_t absTime, MidiMessage m);
    TrackBuilder& marker(int64_t absTime, const std::string& text);
    MidiTrack take() { return std::move(track_); }

private:
    MidiTrack track_{96};
    int64_t last_ = 0;
};

}  // namespace vl::test
